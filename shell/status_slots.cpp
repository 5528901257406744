#include "shell/status_slots.h"

#include "shell/language.h"

#include <algorithm>

namespace
{

// Whether `now` has reached `deadline`. Computed on the difference so that it stays right when the
// 32-bit tick count wraps (after about three and a half years of running).
bool Reached(int32_t now, int32_t deadline)
{
    return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(deadline)) >= 0;
}

// `now` + `ticks`, wrapping like the tick count itself.
int32_t AddTicks(int32_t now, int ticks)
{
    return static_cast<int32_t>(static_cast<uint32_t>(now) + static_cast<uint32_t>(ticks));
}

// Index into the slot array, or -1 for numbers without a label (slot 3 never had one).
int IndexOf(int slot)
{
    const bool labelled = slot == StatusSlots::kConnection || slot == StatusSlots::kResult
        || slot == StatusSlots::kCongruence;
    return labelled ? slot - 1 : -1;
}

} // namespace

StatusSlot* StatusSlots::MutableSlot(int slot)
{
    const int index = IndexOf(slot);
    return index < 0 ? nullptr : &m_slots[index];
}

const StatusSlot* StatusSlots::Slot(int slot) const
{
    const int index = IndexOf(slot);
    return index < 0 ? nullptr : &m_slots[index];
}

void StatusSlots::Hide(int slot)
{
    StatusSlot* label = MutableSlot(slot);
    label->visible = false;
    label->expires = false;
    if (slot == kResult)
        m_gauge.visible = false;
}

void StatusSlots::ShowStatus(int slot, const char* text, int durationMs,
    std::optional<StatusColour> textColour, std::optional<StatusColour> background, int priority,
    int32_t nowTick)
{
    StatusSlot* label = MutableSlot(slot);
    if (!label)
        return;
    const int current = (label->visible && !label->text.isEmpty()) ? label->priority : -1;
    if (priority >= 0 && priority < current)
        return;
    label->priority = priority;
    if (!text) {
        Hide(slot);
        return;
    }
    label->text = SelectQText(text);
    label->visible = true;
    if (textColour)
        label->textColour = *textColour;
    if (background)
        label->background = *background;
    label->expires = durationMs > 0;
    // At least one tick, so that even a very short text is painted once before it goes.
    label->expiryTick = label->expires ? AddTicks(nowTick, std::max(1, durationMs / kMsPerTick)) : 0;
}

void StatusSlots::ExpireStatusTexts(int32_t nowTick)
{
    for (int slot : { kConnection, kResult, kCongruence }) {
        const StatusSlot* label = Slot(slot);
        if (label->visible && label->expires && Reached(nowTick, label->expiryTick))
            Hide(slot);
    }
}

void StatusSlots::HideAll()
{
    for (int slot : { kConnection, kResult, kCongruence })
        Hide(slot);
}

void StatusSlots::StartGauge()
{
    m_gauge.visible = true;
    m_gauge.progress = 0;
    m_gauge.colour = GaugeColour::Aqua;
}

void StatusSlots::SetGaugeProgress(int percent)
{
    m_gauge.progress = std::clamp(percent, 0, 100);
}

void StatusSlots::FailGauge()
{
    m_gauge.colour = GaugeColour::Red;
    m_gauge.progress = 100;
}
