#pragma once

#include <QString>

// Coding of paths in the settings file, which holds 8-bit text only.
//
// Writing: a character above U+00FF becomes "\x" and four upper-case hex digits (U+0159 -> \x0159),
// a backslash becomes two, a control character (below U+0020) is escaped like a wide one so that a
// line break inside a path cannot split the settings line; everything else stays as it is. The first
// character is also written as such a code when the text would otherwise look plain (see below) or
// start with white space, and the last one when it would end with white space, which the settings
// file drops around values.
//
// Reading reverses this, except that a value that looks like a plain drive path ("C:\x") or network
// path ("\\server") is taken unchanged, so paths typed in by hand stay readable. An escaped value never
// looks plain: its backslashes are doubled, and where that is not enough (a path that starts with one
// backslash, or "C:" and a wide character) its first character is a code.

// Longest path kept from the settings file; longer ones are cut.
constexpr int kMaxStoredPathLength = 259;
// Longest value taken from one settings line before unescaping.
constexpr int kMaxStoredValueLength = 8190;

QString EscapePath(const QString& path);
// The value is cut to kMaxStoredValueLength before and to kMaxStoredPathLength after unescaping.
QString UnescapePath(const QString& stored);
