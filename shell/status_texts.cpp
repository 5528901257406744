#include "shell/status_texts.h"

void ShowNoConnection(StatusSlots& status, int32_t nowTick)
{
    status.ShowStatus(StatusSlots::kConnection, kStatusNoConnection, StatusSlots::kPermanent,
        StatusColour::Black, StatusColour::Red, kNoConnectionPriority, nowTick);
}

void ShowResultInfo(StatusSlots& status, const char* text, int32_t nowTick)
{
    status.ShowStatus(StatusSlots::kResult, text, kResultDurationMs, kKeepColour, StatusColour::ButtonFace,
        kResultPriority, nowTick);
}

void ShowResultError(StatusSlots& status, const char* text, int32_t nowTick)
{
    status.ShowStatus(StatusSlots::kResult, text, kResultDurationMs, kKeepColour, StatusColour::Red,
        kResultPriority, nowTick);
}

void ClearResult(StatusSlots& status, int32_t nowTick)
{
    status.ShowStatus(StatusSlots::kResult, nullptr, 0, kKeepColour, kKeepColour, kResultPriority, nowTick);
}

void ShowCongruence(StatusSlots& status, Congruence congruence, int32_t nowTick)
{
    const int slot = StatusSlots::kCongruence;
    switch (congruence) {
    case Congruence::Unknown:
        status.ShowStatus(slot, nullptr, 0, kKeepColour, kKeepColour, kCongruencePriority, nowTick);
        return;
    case Congruence::NoReading:
        status.ShowStatus(slot, kStatusNoReading, kCongruenceDurationMs, kKeepColour, StatusColour::Yellow,
            kCongruencePriority, nowTick);
        return;
    case Congruence::Different:
        status.ShowStatus(slot, kStatusSettingsDifferent, StatusSlots::kPermanent, kKeepColour,
            StatusColour::Yellow, kCongruencePriority, nowTick);
        return;
    case Congruence::Identical:
        status.ShowStatus(slot, kStatusSettingsIdentical, kCongruenceDurationMs, kKeepColour,
            StatusColour::Green, kCongruencePriority, nowTick);
        return;
    }
}
