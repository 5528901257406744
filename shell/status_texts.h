#pragma once

#include "shell/status_slots.h"

#include <cstdint>

// The texts of the unit link's status labels and how each kind is shown. The operations decide what
// to say; these functions fix where, in which colours, for how long and with which priority.

// Connection label.
inline constexpr const char* kStatusNoConnection
    = "###No connection with PC...##Keine Verbindung zum PC...##Není spojení s PC...";

// Result label: operation starts, results and errors.
inline constexpr const char* kStatusChecking = "###Checking:##Geräteprüfung:##Kontrola jednotky:";
inline constexpr const char* kStatusCheckingOk = "###Checking: OK##Geräteprüfung: OK##Kontrola jednotky: OK";
inline constexpr const char* kStatusCheckingError
    = "###Checking error !##Geräteprüfung Fehler !##Chyba kontroly jednotky !";
inline constexpr const char* kStatusRead = "###Read:##Lesen:##Čtení:";
inline constexpr const char* kStatusReadError = "###Read error !##Lesefehler !##Chyba čtení !";
inline constexpr const char* kStatusVerify = "###Verify:##Vergleichen:##Verifikace:";
inline constexpr const char* kStatusVerifyOk = "###Verify: OK##Vergleichen: OK##Verifikace: OK";
inline constexpr const char* kStatusVerifyError = "###Verify error !##Vergleichsfehler !##Chyba verifikace !";
inline constexpr const char* kStatusProgram = "###Program device:##Programmieren:##Programování:";
inline constexpr const char* kStatusProgramOk = "###Program device: OK##Programmieren: OK##Programování: OK";
inline constexpr const char* kStatusSaving = "###Saving:##Speichern:##Ukládání:";

// Result label (as an error) and congruence label.
inline constexpr const char* kStatusNoReading = "###No reading !##Lesen verboten !##Zákaz čtení !";

// Congruence label.
inline constexpr const char* kStatusSettingsDifferent
    = "###Unit and PC settings are different##Einrichten der Einheit und der PC sind anders##Nastavení v "
      "jednotce a PC se liší";
inline constexpr const char* kStatusSettingsIdentical
    = "###Unit and PC settings are identical##Einrichten des Einheit und der PC ist die gleichen##Nastavení "
      "v jednotce a PC je shodné";

// How long results stay, in milliseconds.
inline constexpr int kResultDurationMs = 2000;
inline constexpr int kCongruenceDurationMs = 4000;

// Priorities: results and congruence texts replace each other; the connection warning gives way to
// anything.
inline constexpr int kResultPriority = 10;
inline constexpr int kCongruencePriority = 10;
inline constexpr int kNoConnectionPriority = -5;

// "No connection with PC..." in the connection label, black on red, until replaced.
void ShowNoConnection(StatusSlots& status, int32_t nowTick);

// A start, a result, or an error that the user should read calmly, on the normal background.
void ShowResultInfo(StatusSlots& status, const char* text, int32_t nowTick);
// An error on red.
void ShowResultError(StatusSlots& status, const char* text, int32_t nowTick);
// Hides the result label and the gauge.
void ClearResult(StatusSlots& status, int32_t nowTick);

// What the congruence label says about the unit's settings against the PC's.
enum class Congruence {
    Unknown, // nothing confirmed about the unit's settings: no text
    NoReading, // the unit is locked against reading: yellow, 4 s
    Different, // yellow, until replaced
    Identical, // green, 4 s
};
void ShowCongruence(StatusSlots& status, Congruence congruence, int32_t nowTick);
