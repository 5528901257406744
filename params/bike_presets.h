#pragma once

#include "params/parameter_block.h"
#include "shell/message_sink.h"

#include <cstdint>
#include <span>

// Bike keying presets: byte 0 of the block chooses how the unit reads its pickup, which decides the
// defaults and the allowed choices of pickup polarity, ignitions per revolution and synchronisation
// polarity, which controls the settings screen offers, and one normalisation rule.
//
// Texts are multi-language literals ("###English##German##Czech", UTF-8); texts without "###" are the
// same in every language. The window selects the language when it shows them.

inline constexpr std::uint8_t kBikeStandard = 0;
inline constexpr std::uint8_t kBikeKawasakiKlr600 = 1;
inline constexpr std::uint8_t kBikeYamahaXt600 = 2;
inline constexpr std::uint8_t kBikeKtm4TSem = 3;
inline constexpr std::uint8_t kBikeHondaCbf250 = 4;
inline constexpr std::uint8_t kBikeSuzukiFreewind = 5;
inline constexpr std::uint8_t kBikeHusaberg4TSem = 6;
inline constexpr std::uint8_t kBikeTwoStrokeSem = 7;
inline constexpr std::uint8_t kBikeStartOfLobe = 8;
inline constexpr std::uint8_t kBikeSuzukiDr650 = 9;

struct BikeEntry {
    const char* text;
    std::uint8_t code;
};

// The entries of ComboBoxBike in list order.
std::span<const BikeEntry> BikeList();
// Position of the entry with this code in BikeList(); -1 when no entry has it.
int BikeListIndex(int code);

inline constexpr int kUserChoice = -1;

struct BikeRules {
    std::uint8_t defaultPolarity; // byte 8 set by the defaults
    bool offersSelfSearch; // "Selfsearch" is among the polarity choices
    bool keepsIgnitionChoice; // byte 9 follows the user; otherwise it is forced to 1
    int syncPolarity; // byte 29 forced to this value, or kUserChoice
    bool showsPolarityGroup; // RadioGroupPolarita shown and enabled
    bool showsLivePolarity; // LabelPolaritaMer shown
    bool showsSyncPolarity; // ComboBoxSynchPos shown
    bool showsStartAndFourStroke; // lower advance at start and 4-stroke controls shown
    std::uint8_t baseAdvanceDefault;
};

// The rules of a bike code; codes outside the list get rules that force nothing.
const BikeRules& BikeRulesFor(int code);

// The bike-dependent part of the defaults: one ignition per revolution and the bike's polarity.
void ApplyBikeDefaults(ParameterBlock& block);

// Applies the bike's rules when the controls are collected into the block. The arguments are the
// codes chosen in ComboBoxPocPalcu and RadioGroupPolarita, or -1 where the control shows no selection
// (the byte then keeps its value). Bikes that force one ignition per revolution set byte 9 to 1; the
// window then shows byte 9 in ComboBoxPocPalcu.
void ApplyBikeRules(ParameterBlock& block, int chosenIgnitions, int chosenPolarity);

// The logic of choosing a bike in ComboBoxBike, after the user has answered "Do you want default
// setting?": Yes gives the full defaults of the new bike, No and Cancel only its bike-dependent part;
// either way the new code is kept. The window then rebuilds the polarity choices for the code, shows
// the block, commits it and applies the bike rules once more.
void ChooseBike(ParameterBlock& block, std::uint8_t code, MessageAnswer answer);

struct PolarityChoice {
    const char* text;
    std::uint8_t code;
};

// The items of RadioGroupPolarita for a bike, in order.
std::span<const PolarityChoice> PolarityChoices(int bikeCode);
// The item that shows this polarity code for the bike; -1 when the bike does not offer it.
int PolarityChoiceIndex(int bikeCode, int polarity);

// The bike the connected unit holds, from the unit copy; -1 while it is not known.
int UnitBikeCode(const ParameterState& state);

// Whether Program must first warn that the unit holds another bike than the one about to be written.
bool BikeMismatchWarningApplies(const ParameterBlock& block, const ParameterState& state);
