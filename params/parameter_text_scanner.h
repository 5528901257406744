#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <optional>

// Splits the 8-bit text of a parameter file into words and numbers, the two ways the reader takes
// it. One position is shared by both, so a keyword line with a value missing takes the next line's
// first number, as older program versions did.
class ParameterTextScanner
{
public:
    // The text ends at its end or at its first zero byte.
    explicit ParameterTextScanner(QByteArrayView text);

    // The next word: the characters up to the next space, tab or line feed, which is consumed; a
    // carriage return ends the word where it stands. Empty words are skipped. Text after the last
    // separator is never a word. False at the end of the text.
    bool NextWord(QByteArrayView& word);

    // The next number: every character that is neither "-" nor a digit is skipped, then that
    // character and the digits after it are converted like C's "%i" (a leading 0 means octal).
    // Empty when the text ends first or when a "-" has no digits. Very large magnitudes saturate.
    std::optional<std::int64_t> NextNumber();

    bool AtEnd() const { return m_pos >= m_text.size(); }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};
