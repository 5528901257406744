#include "params/bike_presets.h"

#include <array>

namespace
{

using ParamValue::kPolarityNegative;
using ParamValue::kPolarityPositive;
using ParamValue::kPolaritySelfSearch;

constexpr std::array<BikeEntry, 10> kBikes = { {
    { "Standard", kBikeStandard },
    { "Honda CBF250", kBikeHondaCbf250 },
    { "Husaberg 4T SEM", kBikeHusaberg4TSem },
    { "###Kawasaki KLR 600 older model##Kawasaki KLR 600 alter model##Kawasaki KLR 600 starší model",
        kBikeKawasakiKlr600 },
    { "KTM 4T SEM", kBikeKtm4TSem },
    { "Suzuki DR650SE", kBikeSuzukiDr650 },
    { "Suzuki Freewind", kBikeSuzukiFreewind },
    { "###Yamaha XT 600 older model##Yamaha XT 600 alter model##Yamaha XT 600 starší model",
        kBikeYamahaXt600 },
    { "2T SEM", kBikeTwoStrokeSem },
    { "###Start of lobe##Beginn das Leitstück##Začátek palce", kBikeStartOfLobe },
} };

// Indexed by bike code; the columns are the members of BikeRules in order.
// clang-format off
constexpr std::array<BikeRules, 10> kRules = { {
    { kPolaritySelfSearch,  true,    true,   kUserChoice,  true,   true,   true,   true,   10   }, // 0 Standard
    { kPolarityPositive,    false,   false,  kUserChoice,  true,   false,  true,   true,   10   }, // 1 Kawasaki KLR 600
    { kPolarityPositive,    false,   false,  1,            true,   false,  false,  true,   10   }, // 2 Yamaha XT 600
    { kPolarityNegative,    false,   false,  2,            false,  false,  false,  true,   10   }, // 3 KTM 4T SEM
    { kPolaritySelfSearch,  true,    false,  kUserChoice,  true,   false,  true,   true,   10   }, // 4 Honda CBF250
    { kPolaritySelfSearch,  true,    false,  kUserChoice,  true,   false,  true,   true,   10   }, // 5 Suzuki Freewind
    { kPolarityPositive,    false,   false,  1,            false,  false,  false,  true,   10   }, // 6 Husaberg 4T SEM
    { kPolarityPositive,    false,   false,  1,            false,  false,  false,  true,   10   }, // 7 2T SEM
    { kPolarityNegative,    false,   true,   kUserChoice,  true,   false,  true,   false,  22   }, // 8 Start of lobe
    { kPolaritySelfSearch,  true,    false,  kUserChoice,  true,   false,  true,   true,   10   }, // 9 Suzuki DR650SE
} };
// clang-format on

// Codes the list does not know keep every user choice and offer every control.
constexpr BikeRules kUnknownBikeRules
    = { kPolarityPositive, false, true, kUserChoice, true, false, true, true, 10 };

constexpr std::array<PolarityChoice, 3> kPolarityChoices = { {
    { "###Positive##Positiv##Kladná", kPolarityPositive },
    { "###Negative##Negativ##Záporná", kPolarityNegative },
    { "###Selfsearch##Automatisch##Samohledání", kPolaritySelfSearch },
} };

} // namespace

std::span<const BikeEntry> BikeList()
{
    return kBikes;
}

int BikeListIndex(int code)
{
    for (std::size_t i = 0; i < kBikes.size(); ++i) {
        if (kBikes[i].code == code)
            return static_cast<int>(i);
    }
    return -1;
}

const BikeRules& BikeRulesFor(int code)
{
    if (code < 0 || code >= static_cast<int>(kRules.size()))
        return kUnknownBikeRules;
    return kRules[static_cast<std::size_t>(code)];
}

void ApplyBikeDefaults(ParameterBlock& block)
{
    block[ParamIndex::kIgnitionsPerRev] = 1;
    block[ParamIndex::kPolarity] = BikeRulesFor(block[ParamIndex::kBike]).defaultPolarity;
}

void ApplyBikeRules(ParameterBlock& block, int chosenIgnitions, int chosenPolarity)
{
    const BikeRules& rules = BikeRulesFor(block[ParamIndex::kBike]);
    if (!rules.keepsIgnitionChoice)
        block[ParamIndex::kIgnitionsPerRev] = 1;
    else if (chosenIgnitions >= 0)
        block[ParamIndex::kIgnitionsPerRev] = static_cast<std::uint8_t>(chosenIgnitions);
    if (chosenPolarity >= 0)
        block[ParamIndex::kPolarity] = static_cast<std::uint8_t>(chosenPolarity);
    if (rules.syncPolarity != kUserChoice)
        block[ParamIndex::kSyncPolarity] = static_cast<std::uint8_t>(rules.syncPolarity);
}

void ChooseBike(ParameterBlock& block, std::uint8_t code, MessageAnswer answer)
{
    block[ParamIndex::kBike] = code;
    if (answer == MessageAnswer::Yes)
        SetDefaults(block);
    else
        ApplyBikeDefaults(block);
}

std::span<const PolarityChoice> PolarityChoices(int bikeCode)
{
    const std::size_t count = BikeRulesFor(bikeCode).offersSelfSearch ? 3 : 2;
    return std::span<const PolarityChoice>(kPolarityChoices.data(), count);
}

int PolarityChoiceIndex(int bikeCode, int polarity)
{
    const auto choices = PolarityChoices(bikeCode);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].code == polarity)
            return static_cast<int>(i);
    }
    return -1;
}

int UnitBikeCode(const ParameterState& state)
{
    return state.unitCopyValid ? state.unitCopy[ParamIndex::kBike] : -1;
}

bool BikeMismatchWarningApplies(const ParameterBlock& block, const ParameterState& state)
{
    const int unitBike = UnitBikeCode(state);
    return unitBike != -1 && unitBike != block[ParamIndex::kBike];
}
