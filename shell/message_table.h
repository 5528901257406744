#pragma once

#include <QString>

#include <array>
#include <span>

// Texts of the message boxes and of a few composed labels, kept in the current language. Callers
// name an entry by its English text; the constants below are those names. An entry holds its whole
// text: the open-file error comes out as "Open file error!" and the older-file notice as its three
// sentences joined.

inline constexpr const char* kMessageUnmatchedUnitVersion = "Unmatched version of PC and Ignition programs!";
inline constexpr const char* kMessageOlderFileVersion = "Older version of *.ign file!";
inline constexpr const char* kMessageUnmatchedFileVersion = "Unmatched version of *.ign file!";
inline constexpr const char* kMessageOpenFileError = "Open file error";
inline constexpr const char* kMessageAskDefaults = "Do you want default setting?";
inline constexpr const char* kMessageAskCopyAToB = "Do you want copy A settings to B ?";
inline constexpr const char* kMessagePolarityOfCkps = "Polarity of CKPS";
inline constexpr const char* kMessagePositive = "Positive";
inline constexpr const char* kMessageNegative = "Negative";
inline constexpr const char* kMessageAdvance = "Advance";
inline constexpr const char* kMessageNumberOfPrograming = "Number of Programing ";
inline constexpr const char* kMessagePickUp = "Pick-up (CPS)";
inline constexpr const char* kMessageBasic = "Basic";
inline constexpr const char* kMessageHourMeter = "Hour meter";
inline constexpr const char* kMessageHourMeterUnit = "[h:mm]";
inline constexpr const char* kMessageComOffline = "COM &offline";
inline constexpr const char* kMessageComAuto = "COM &auto";
inline constexpr const char* kMessageNewInstallation
    = "This is a new installation of set software for Kordanex ignitions.\n"
      "You have to read actual setting of ignition before first programming of unit (the Read button),\n"
      "or open valid .ign file (e.g. from attached CD) !";
inline constexpr const char* kMessageAttention = "Attention";
inline constexpr const char* kMessageDifferentBike = "There is a different bike choosen in set software and "
                                                     "in ignition unit,\n are you sure to reprogram it ?\n";
inline constexpr const char* kMessageWarning = "Warning";

struct MessageEntry {
    const char* key; // the English name callers use
    std::array<const char*, 3> text; // English, German, Czech (UTF-8)
};

std::span<const MessageEntry> MessageEntries();

// Puts every entry into `language` (0..2; anything else gives English). ApplyLanguage calls it.
void RebuildMessageTable(int language);

// The entry named by `english` (its key or its whole English text) in the language of the last
// rebuild, English before the first. An unknown name comes back as it is.
QString MessageText(const char* english);
