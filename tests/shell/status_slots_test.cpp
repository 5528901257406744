#include "shell/status_slots.h"
#include "shell/status_texts.h"

#include "shell/language.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

namespace
{

constexpr int32_t kNow = 1000;
constexpr int kTwoSecondsInTicks = 2000 / StatusSlots::kMsPerTick;

class StatusSlotsTest : public ::testing::Test
{
protected:
    void SetUp() override { SetCurrentLanguage(kEnglish); }
    void TearDown() override { SetCurrentLanguage(kEnglish); }

    const StatusSlot& ResultLabel() const { return *m_status.Slot(StatusSlots::kResult); }
    const StatusSlot& ConnectionLabel() const { return *m_status.Slot(StatusSlots::kConnection); }
    const StatusSlot& CongruenceLabel() const { return *m_status.Slot(StatusSlots::kCongruence); }

    void Show(const char* text, int priority, int durationMs = StatusSlots::kPermanent)
    {
        m_status.ShowStatus(StatusSlots::kResult, text, durationMs, kKeepColour, kKeepColour, priority, kNow);
    }

    StatusSlots m_status;
};

// --- Priorities ---------------------------------------------------------------------------------

struct PriorityCase {
    const char* name;
    int shownPriority; // of the text already in the result slot
    bool expiredBefore; // that text has run out before the second one comes
    const char* text; // second call; null hides
    int priority;
    bool replaced; // whether the second call took effect
};

void PrintTo(const PriorityCase& row, std::ostream* out)
{
    *out << row.name;
}

class StatusPriorities : public StatusSlotsTest, public ::testing::WithParamInterface<PriorityCase>
{
};

TEST_P(StatusPriorities, DecideWhetherTheSlotChanges)
{
    const PriorityCase& c = GetParam();
    Show("First", c.shownPriority, c.expiredBefore ? 100 : StatusSlots::kPermanent);
    m_status.StartGauge();
    if (c.expiredBefore)
        m_status.ExpireStatusTexts(kNow + 100);

    Show(c.text, c.priority);

    const bool firstStillShown = !c.expiredBefore && !c.replaced;
    if (c.replaced) {
        EXPECT_EQ(ResultLabel().visible, c.text != nullptr);
        if (c.text) {
            EXPECT_EQ(ResultLabel().text, QString::fromLatin1(c.text));
        }
        EXPECT_EQ(ResultLabel().priority, c.priority);
    } else {
        EXPECT_EQ(ResultLabel().visible, firstStillShown);
        EXPECT_EQ(ResultLabel().priority, c.shownPriority);
    }
    if (firstStillShown) {
        EXPECT_EQ(ResultLabel().text, QStringLiteral("First"));
    }
    // The gauge goes with the result label, and only with it.
    if (!ResultLabel().visible) {
        EXPECT_FALSE(m_status.Gauge().visible);
    } else if (!c.expiredBefore) {
        EXPECT_TRUE(m_status.Gauge().visible);
    }
}

const PriorityCase kPriorityCases[] = {
    { "HigherReplaces", 5, false, "Second", 10, true },
    { "EqualReplaces", 10, false, "Second", 10, true },
    { "LowerIsIgnored", 10, false, "Second", 9, false },
    { "ZeroLosesToAnyPositive", 1, false, "Second", 0, false },
    { "NegativeAlwaysWins", 10, false, "Second", -5, true },
    { "AnythingBeatsANegativeText", -5, false, "Second", 0, true },
    { "ExpiredTextCountsAsNone", 10, true, "Second", 0, true },
    { "HideWithEqualPriority", 10, false, nullptr, 10, true },
    { "HideWithLowerPriorityIsIgnored", 10, false, nullptr, 3, false },
};

INSTANTIATE_TEST_SUITE_P(Cases, StatusPriorities, ::testing::ValuesIn(kPriorityCases),
    [](const ::testing::TestParamInfo<PriorityCase>& row) { return std::string(row.param.name); });

TEST_F(StatusSlotsTest, SlotsWithoutLabelIgnoreTexts)
{
    for (int slot : { 0, 3, 5, -1 }) {
        EXPECT_EQ(m_status.Slot(slot), nullptr) << slot;
        m_status.ShowStatus(slot, "Lost", 2000, StatusColour::Black, StatusColour::Red, 10, kNow);
    }
    for (int slot : { StatusSlots::kConnection, StatusSlots::kResult, StatusSlots::kCongruence })
        EXPECT_FALSE(m_status.Slot(slot)->visible) << slot;
}

// --- Expiry -------------------------------------------------------------------------------------

TEST_F(StatusSlotsTest, TimedTextGoesAfterItsDurationInTicksWithTheGauge)
{
    ShowResultInfo(m_status, kStatusVerifyOk, kNow);
    m_status.StartGauge();

    m_status.ExpireStatusTexts(kNow + kTwoSecondsInTicks - 1);
    EXPECT_TRUE(ResultLabel().visible);
    EXPECT_TRUE(m_status.Gauge().visible);

    m_status.ExpireStatusTexts(kNow + kTwoSecondsInTicks);
    EXPECT_FALSE(ResultLabel().visible);
    EXPECT_FALSE(m_status.Gauge().visible);
}

TEST_F(StatusSlotsTest, ReplacingATimedTextWithAPermanentOneCancelsTheExpiry)
{
    Show("Timed", 10, 2000);
    Show("Permanent", 10, StatusSlots::kPermanent);
    m_status.ExpireStatusTexts(kNow + 1'000'000);
    EXPECT_TRUE(ResultLabel().visible);
    EXPECT_EQ(ResultLabel().text, QStringLiteral("Permanent"));
}

TEST_F(StatusSlotsTest, ExpiryOfOneSlotLeavesTheOthersAndTheGauge)
{
    ShowNoConnection(m_status, kNow);
    Show("Result", 10);
    m_status.StartGauge();
    ShowCongruence(m_status, Congruence::Identical, kNow);

    m_status.ExpireStatusTexts(kNow + 4000 / StatusSlots::kMsPerTick);
    EXPECT_FALSE(CongruenceLabel().visible);
    EXPECT_TRUE(ConnectionLabel().visible);
    EXPECT_TRUE(ResultLabel().visible);
    EXPECT_TRUE(m_status.Gauge().visible);
}

TEST_F(StatusSlotsTest, ShortTextIsShownForAtLeastOneTick)
{
    Show("Blink", 10, 20);
    m_status.ExpireStatusTexts(kNow);
    EXPECT_TRUE(ResultLabel().visible);
    m_status.ExpireStatusTexts(kNow + 1);
    EXPECT_FALSE(ResultLabel().visible);
}

TEST_F(StatusSlotsTest, ExpiryHoldsAcrossTheTickCounterWrapping)
{
    const int32_t shownAt = std::numeric_limits<int32_t>::max() - 10;
    m_status.ShowStatus(StatusSlots::kResult, "Late", 2000, kKeepColour, kKeepColour, 10, shownAt);

    m_status.ExpireStatusTexts(std::numeric_limits<int32_t>::max());
    EXPECT_TRUE(ResultLabel().visible);
    const int32_t wrappedDeadline = std::numeric_limits<int32_t>::min() + kTwoSecondsInTicks - 11;
    m_status.ExpireStatusTexts(wrappedDeadline - 1);
    EXPECT_TRUE(ResultLabel().visible);
    m_status.ExpireStatusTexts(wrappedDeadline);
    EXPECT_FALSE(ResultLabel().visible);
}

TEST_F(StatusSlotsTest, HideAllClearsEveryLabelAndItsExpiry)
{
    ShowNoConnection(m_status, kNow);
    ShowResultError(m_status, kStatusReadError, kNow);
    m_status.StartGauge();
    ShowCongruence(m_status, Congruence::Different, kNow);

    m_status.HideAll();
    for (int slot : { StatusSlots::kConnection, StatusSlots::kResult, StatusSlots::kCongruence }) {
        EXPECT_FALSE(m_status.Slot(slot)->visible) << slot;
        EXPECT_FALSE(m_status.Slot(slot)->expires) << slot;
    }
    EXPECT_FALSE(m_status.Gauge().visible);
}

// --- Texts, colours and language ----------------------------------------------------------------

TEST_F(StatusSlotsTest, TextTakesTheLanguageOfTheMomentItIsShown)
{
    SetCurrentLanguage(kCzech);
    ShowResultInfo(m_status, kStatusVerifyOk, kNow);
    SetCurrentLanguage(kGerman);
    EXPECT_EQ(ResultLabel().text, QString::fromUtf8("Verifikace: OK"));
    ShowResultInfo(m_status, kStatusVerifyOk, kNow);
    EXPECT_EQ(ResultLabel().text, QStringLiteral("Vergleichen: OK"));
}

TEST_F(StatusSlotsTest, KeptColoursStayAndGivenOnesChange)
{
    m_status.ShowStatus(StatusSlots::kResult, "A", 2000, StatusColour::Green, StatusColour::Yellow, 10, kNow);
    m_status.ShowStatus(StatusSlots::kResult, "B", 2000, kKeepColour, StatusColour::Red, 10, kNow);
    EXPECT_EQ(ResultLabel().textColour, StatusColour::Green);
    EXPECT_EQ(ResultLabel().background, StatusColour::Red);
}

TEST_F(StatusSlotsTest, ErrorIsRedAndTheNextInformationTurnsTheLabelBack)
{
    ShowResultError(m_status, kStatusVerifyError, kNow);
    EXPECT_EQ(ResultLabel().background, StatusColour::Red);
    EXPECT_EQ(ResultLabel().text, QStringLiteral("Verify error !"));
    EXPECT_EQ(ResultLabel().expiryTick, kNow + kTwoSecondsInTicks);

    ShowResultInfo(m_status, kStatusRead, kNow + 1);
    EXPECT_EQ(ResultLabel().background, StatusColour::ButtonFace);
    EXPECT_EQ(ResultLabel().text, QStringLiteral("Read:"));
}

TEST_F(StatusSlotsTest, NoConnectionIsPermanentBlackOnRedAndGivesWayToAnyText)
{
    ShowNoConnection(m_status, kNow);
    EXPECT_TRUE(ConnectionLabel().visible);
    EXPECT_EQ(ConnectionLabel().text, QStringLiteral("No connection with PC..."));
    EXPECT_EQ(ConnectionLabel().textColour, StatusColour::Black);
    EXPECT_EQ(ConnectionLabel().background, StatusColour::Red);
    EXPECT_FALSE(ConnectionLabel().expires);

    m_status.ShowStatus(
        StatusSlots::kConnection, "Connected", 2000, kKeepColour, StatusColour::Green, 0, kNow);
    EXPECT_EQ(ConnectionLabel().text, QStringLiteral("Connected"));
}

struct CongruenceCase {
    const char* name;
    Congruence congruence;
    const char* text; // null: label hidden
    StatusColour background;
    bool expires;
};

void PrintTo(const CongruenceCase& row, std::ostream* out)
{
    *out << row.name;
}

class CongruenceTexts : public StatusSlotsTest, public ::testing::WithParamInterface<CongruenceCase>
{
};

TEST_P(CongruenceTexts, ShowTheirTextColourAndDuration)
{
    const CongruenceCase& c = GetParam();
    ShowCongruence(m_status, Congruence::Different, kNow - 1);
    ShowCongruence(m_status, c.congruence, kNow);

    ASSERT_EQ(CongruenceLabel().visible, c.text != nullptr);
    if (!c.text)
        return;
    EXPECT_EQ(CongruenceLabel().text, QString::fromLatin1(c.text));
    EXPECT_EQ(CongruenceLabel().background, c.background);
    EXPECT_EQ(CongruenceLabel().expires, c.expires);
    if (c.expires) {
        EXPECT_EQ(CongruenceLabel().expiryTick, kNow + 4000 / StatusSlots::kMsPerTick);
    }
}

const CongruenceCase kCongruenceCases[] = {
    { "Unknown", Congruence::Unknown, nullptr, StatusColour::ButtonFace, false },
    { "NoReading", Congruence::NoReading, "No reading !", StatusColour::Yellow, true },
    { "Different", Congruence::Different, "Unit and PC settings are different", StatusColour::Yellow, false },
    { "Identical", Congruence::Identical, "Unit and PC settings are identical", StatusColour::Green, true },
};

INSTANTIATE_TEST_SUITE_P(Cases, CongruenceTexts, ::testing::ValuesIn(kCongruenceCases),
    [](const ::testing::TestParamInfo<CongruenceCase>& row) { return std::string(row.param.name); });

// --- Gauge --------------------------------------------------------------------------------------

TEST_F(StatusSlotsTest, GaugeStartsAquaFailsRedAndStaysInRange)
{
    m_status.StartGauge();
    EXPECT_TRUE(m_status.Gauge().visible);
    EXPECT_EQ(m_status.Gauge().progress, 0);
    EXPECT_EQ(m_status.Gauge().colour, GaugeColour::Aqua);

    m_status.SetGaugeProgress(150);
    EXPECT_EQ(m_status.Gauge().progress, 100);
    m_status.SetGaugeProgress(-3);
    EXPECT_EQ(m_status.Gauge().progress, 0);

    m_status.FailGauge();
    EXPECT_EQ(m_status.Gauge().colour, GaugeColour::Red);
    EXPECT_EQ(m_status.Gauge().progress, 100);

    m_status.StartGauge();
    EXPECT_EQ(m_status.Gauge().colour, GaugeColour::Aqua);
    EXPECT_EQ(m_status.Gauge().progress, 0);
}

} // namespace
