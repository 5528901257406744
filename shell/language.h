#pragma once

#include <QString>

class IMessageSink;

// Multi-language literals hold all three translations in one text: "###English##German##Czech".
// The German and Czech variants are optional; an empty variant or one that is exactly ".." means
// "not translated" and falls back to English. Literals are stored as UTF-8.

inline constexpr int kEnglish = 0;
inline constexpr int kGerman = 1;
inline constexpr int kCzech = 2;
inline constexpr int kLanguageCount = 3;
inline constexpr int kUseCurrentLanguage = -1;

// The language of the whole user interface, 0 English, 1 German, 2 Czech. Set at start-up and by
// SetLanguage; any other value selects English.
int CurrentLanguage();
void SetCurrentLanguage(int language);

// kUseCurrentLanguage gives CurrentLanguage(); anything outside 0..2 gives English.
int ResolveLanguage(int language);

// Returns the variant of `text` for `language`. A text that does not begin with "#" (and null) is
// returned as it is. A literal is split on its first selection and the parts are kept, keyed by the
// literal's address, for the rest of the run, so later selections neither split nor allocate; the
// returned text stays valid for the rest of the run. Meant for literals with static storage: a
// buffer whose content changes at the same address is split again.
// A malformed literal is reported through the text-fault sink (a box titled "Error") and returned
// whole; it is reported again on every selection. Window thread only: the cache has no lock.
const char* SelectText(const char* text, int language = kUseCurrentLanguage);
QString SelectQText(const char* text, int language = kUseCurrentLanguage);

// Where malformed literals are reported. Null (the default) prints the report to stderr. Returns the
// sink that was installed before.
IMessageSink* SetTextFaultSink(IMessageSink* sink);

// Diagnostics: how many times a literal has been split since the program started.
int LiteralSplitCount();
