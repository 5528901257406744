#include "params/parameter_text_scanner.h"

namespace
{

// Far beyond any value a byte can take after its factor, small enough never to overflow.
constexpr std::int64_t kSaturation = std::int64_t { 1 } << 40;

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

ParameterTextScanner::ParameterTextScanner(QByteArrayView text)
    : m_text(text)
{
    const qsizetype zero = m_text.indexOf('\0');
    if (zero >= 0)
        m_text = m_text.first(zero);
}

bool ParameterTextScanner::NextWord(QByteArrayView& word)
{
    while (m_pos < m_text.size()) {
        qsizetype end = m_pos;
        while (end < m_text.size() && !IsSeparator(m_text[end]))
            ++end;
        if (end >= m_text.size()) {
            m_pos = m_text.size();
            return false;
        }
        QByteArrayView found = m_text.sliced(m_pos, end - m_pos);
        m_pos = end + 1;
        const qsizetype cr = found.indexOf('\r');
        if (cr >= 0)
            found = found.first(cr);
        if (!found.isEmpty()) {
            word = found;
            return true;
        }
    }
    return false;
}

std::optional<std::int64_t> ParameterTextScanner::NextNumber()
{
    while (m_pos < m_text.size() && m_text[m_pos] != '-' && !IsDigit(m_text[m_pos]))
        ++m_pos;
    if (m_pos >= m_text.size())
        return std::nullopt;

    const bool negative = m_text[m_pos] == '-';
    if (negative)
        ++m_pos;
    const qsizetype first = m_pos;
    while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
        ++m_pos;
    if (m_pos == first)
        return std::nullopt;

    // Like "%i": a leading 0 makes the number octal, and conversion stops at the first digit that
    // does not belong to the base, though the scanner has already passed every digit.
    const bool octal = m_text[first] == '0';
    const int base = octal ? 8 : 10;
    std::int64_t value = 0;
    for (qsizetype i = first; i < m_pos; ++i) {
        const int digit = m_text[i] - '0';
        if (digit >= base)
            break;
        value = value * base + digit;
        if (value > kSaturation)
            value = kSaturation;
    }
    return negative ? -value : value;
}
