#pragma once

#include "shell/language.h"

#include <QString>

// Added to the title while the maker's bootloader tool has borrowed the serial port.
inline constexpr const char* kTitleOffline
    = "###(Disconnected by bootloader)##(Von Bootloader getrennt)##(Dočasně odpojeno bootloaderem)";

// The main window's title: "  Velmor (v109)", seven blanks and the current parameter file's name
// (empty when there is none), then, while the link is offline, three blanks and the offline note in
// `language`.
QString WindowTitle(const QString& fileName, bool offline, int language = kUseCurrentLanguage);
