#include "params/bike_presets.h"
#include "params/normalize_parameters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ParamIndex;

namespace
{

ParameterBlock Standard()
{
    ParameterBlock block;
    block[kBike] = kBikeStandard;
    SetDefaults(block);
    return block;
}

// The window's sequence after a bike was chosen: the controls show the block (the polarity group
// shows byte 8 if this bike offers it), commit collects them with the bike rules and normalises.
void CommitBikeChoice(ParameterBlock& block, int ignitionsShown)
{
    const int polarityItem = PolarityChoiceIndex(block[kBike], block[kPolarity]);
    const int polarityShown = polarityItem < 0 ? -1 : PolarityChoices(block[kBike])[polarityItem].code;
    ApplyBikeRules(block, ignitionsShown, polarityShown);
    NormalizeParameters(block);
}

} // namespace

TEST(BikeList, HoldsTheKeyingsInListOrderWithTheirCodes)
{
    std::vector<int> codes;
    for (const BikeEntry& entry : BikeList())
        codes.push_back(entry.code);
    EXPECT_EQ(codes, (std::vector<int> { 0, 4, 6, 1, 3, 9, 5, 2, 7, 8 }));
    EXPECT_STREQ(BikeList()[9].text, "###Start of lobe##Beginn das Leitstück##Začátek palce");
    EXPECT_EQ(BikeListIndex(kBikeStartOfLobe), 9);
    EXPECT_EQ(BikeListIndex(10), -1);
}

TEST(BikeDefaults, SetOneIgnitionAndTheBikesPolarity)
{
    // Index: bike code; the last entry stands for codes the list does not know.
    const std::vector<int> polarity = { 2, 0, 0, 1, 2, 2, 0, 0, 1, 2, 0 };
    for (int code = 0; code <= 10; ++code) {
        ParameterBlock block = Standard();
        block[kBike] = static_cast<std::uint8_t>(code == 10 ? 200 : code);
        block[kIgnitionsPerRev] = 3;
        ApplyBikeDefaults(block);
        EXPECT_EQ(block[kIgnitionsPerRev], 1) << "bike " << code;
        EXPECT_EQ(block[kPolarity], polarity[static_cast<std::size_t>(code)]) << "bike " << code;
    }
}

TEST(PolarityChoices, OfferSelfSearchOnlyForBikesThatSearch)
{
    for (int code = 0; code <= 12; ++code) {
        const bool searches = code == 0 || code == 4 || code == 5 || code == 9;
        const auto choices = PolarityChoices(code);
        ASSERT_EQ(choices.size(), searches ? 3u : 2u) << "bike " << code;
        EXPECT_EQ(choices[0].code, 0);
        EXPECT_STREQ(choices[1].text, "###Negative##Negativ##Záporná");
        EXPECT_EQ(PolarityChoiceIndex(code, ParamValue::kPolaritySelfSearch), searches ? 2 : -1)
            << "bike " << code;
    }
}

TEST(ChooseBike, KtmAnsweredNoSetsItsKeyingAndKeepsLimitersAndCurves)
{
    ParameterBlock block = Standard();
    block[kHardLimiterA] = 123;
    block[kAdvancesA + 3] = 33;
    block[kIgnitionsPerRev] = 2;
    const ParameterBlock before = block;

    ChooseBike(block, kBikeKtm4TSem, MessageAnswer::No);
    CommitBikeChoice(block, 2);

    EXPECT_EQ(block[kBike], kBikeKtm4TSem);
    EXPECT_EQ(block[kIgnitionsPerRev], 1);
    EXPECT_EQ(block[kPolarity], ParamValue::kPolarityNegative);
    EXPECT_EQ(block[kSyncPolarity], 2);
    EXPECT_FALSE(BikeRulesFor(kBikeKtm4TSem).showsPolarityGroup);
    EXPECT_FALSE(BikeRulesFor(kBikeKtm4TSem).showsSyncPolarity);
    EXPECT_EQ(block[kHardLimiterA], 123);
    EXPECT_EQ(block[kAdvancesA + 3], 33);
    for (int i = kSpeedsA; i < kAdvancesB + 15; ++i)
        EXPECT_EQ(block[i], before[i]) << "byte " << i;
}

TEST(ChooseBike, StartOfLobeAnsweredYesGivesItsBaseAdvanceAndHidesStartControls)
{
    ParameterBlock block = Standard();
    block[kHardLimiterA] = 123;
    ChooseBike(block, kBikeStartOfLobe, MessageAnswer::Yes);
    EXPECT_EQ(block[kBaseAdvance], 22);
    EXPECT_EQ(block[kHardLimiterA], 150);
    EXPECT_FALSE(BikeRulesFor(kBikeStartOfLobe).showsStartAndFourStroke);
    EXPECT_TRUE(BikeRulesFor(kBikeStandard).showsStartAndFourStroke);
}

TEST(ChooseBike, CancelKeepsTheNewBikeLikeNo)
{
    ParameterBlock no = Standard();
    ParameterBlock cancel = Standard();
    no[kBaseAdvance] = cancel[kBaseAdvance] = 30;
    ChooseBike(no, kBikeYamahaXt600, MessageAnswer::No);
    ChooseBike(cancel, kBikeYamahaXt600, MessageAnswer::Cancel);
    EXPECT_EQ(cancel, no);
    EXPECT_EQ(cancel[kBike], kBikeYamahaXt600);
    EXPECT_EQ(cancel[kBaseAdvance], 30);
}

TEST(ChooseBike, HusabergAfterSelfSearchingStandardShowsPositiveWhateverTheAnswer)
{
    for (const MessageAnswer answer : { MessageAnswer::Yes, MessageAnswer::No }) {
        ParameterBlock block = Standard();
        ASSERT_EQ(block[kPolarity], ParamValue::kPolaritySelfSearch);
        ChooseBike(block, kBikeHusaberg4TSem, answer);
        EXPECT_EQ(block[kPolarity], ParamValue::kPolarityPositive);
        EXPECT_EQ(PolarityChoiceIndex(kBikeHusaberg4TSem, block[kPolarity]), 0);
        CommitBikeChoice(block, 1);
        EXPECT_EQ(block[kPolarity], ParamValue::kPolarityPositive);
        EXPECT_EQ(block[kSyncPolarity], 1);
    }
}

TEST(BikeRules, OnlyStandardAndStartOfLobeKeepTheIgnitionsChoice)
{
    for (int code = 0; code <= 9; ++code) {
        ParameterBlock block = Standard();
        block[kBike] = static_cast<std::uint8_t>(code);
        ApplyBikeRules(block, 0, 1);
        const bool keeps = code == kBikeStandard || code == kBikeStartOfLobe;
        EXPECT_EQ(block[kIgnitionsPerRev], keeps ? 0 : 1) << "bike " << code;
        EXPECT_EQ(block[kPolarity], 1) << "bike " << code;
    }
}

TEST(BikeRules, SyncPolarityIsForcedOnlyForBikesThatFixIt)
{
    // Index: bike code; -1 keeps the user's choice.
    const std::vector<int> forced = { -1, -1, 1, 2, -1, -1, 1, 1, -1, -1 };
    for (int code = 0; code <= 9; ++code) {
        ParameterBlock block = Standard();
        block[kBike] = static_cast<std::uint8_t>(code);
        block[kSyncPolarity] = 0;
        ApplyBikeRules(block, 1, 0);
        const int expected = forced[static_cast<std::size_t>(code)];
        EXPECT_EQ(block[kSyncPolarity], expected < 0 ? 0 : expected) << "bike " << code;
        EXPECT_EQ(BikeRulesFor(code).showsSyncPolarity, expected < 0) << "bike " << code;
    }
}

TEST(BikeRules, PolarityWithoutASelectionKeepsTheStoredCode)
{
    // A file may hold self-search for a bike that does not offer it: the group then shows nothing,
    // which must not turn into a code of its own.
    ParameterBlock block = Standard();
    block[kBike] = kBikeKawasakiKlr600;
    block[kPolarity] = ParamValue::kPolaritySelfSearch;
    ASSERT_EQ(PolarityChoiceIndex(kBikeKawasakiKlr600, block[kPolarity]), -1);
    ApplyBikeRules(block, -1, -1);
    EXPECT_EQ(block[kPolarity], ParamValue::kPolaritySelfSearch);
}

TEST(BikeMismatch, WarnsOnlyWhenTheConfirmedUnitCopyHoldsAnotherBike)
{
    ParameterBlock block = Standard();
    ParameterState state;
    state.unitCopy = block;
    state.unitCopy[kBike] = kBikeKtm4TSem;

    EXPECT_EQ(UnitBikeCode(state), -1);
    EXPECT_FALSE(BikeMismatchWarningApplies(block, state)) << "unit copy not confirmed";

    state.unitCopyValid = true;
    EXPECT_EQ(UnitBikeCode(state), kBikeKtm4TSem);
    EXPECT_TRUE(BikeMismatchWarningApplies(block, state));

    block[kBike] = kBikeKtm4TSem;
    EXPECT_FALSE(BikeMismatchWarningApplies(block, state));
}
