#pragma once

#include <QStringList>

#include <optional>

// The only command-line input: the first argument chooses the language when it is exactly
// "ENGLISH" (0), "DEUTSCH" (1) or "CESKY" (2). Anything else, and every further argument, is ignored.
// `arguments` excludes the program name.
std::optional<int> LanguageFromCommandLine(const QStringList& arguments);
