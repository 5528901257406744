#include "shell/settings_escape.h"

namespace
{

constexpr QChar kBackslash = u'\\';

bool LooksLikePlainPath(const QString& value)
{
    const bool network
        = value.size() >= 3 && value[0] == kBackslash && value[1] == kBackslash && value[2] != kBackslash;
    const bool drive
        = value.size() >= 4 && value[1] == u':' && value[2] == kBackslash && value[3] != kBackslash;
    return network || drive;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// The code of the four hex digits at `from`, or -1 when they are missing or not all hex digits.
int HexCode(const QString& value, qsizetype from)
{
    if (from + 4 > value.size())
        return -1;
    int code = 0;
    for (qsizetype i = from; i < from + 4; ++i) {
        const int digit = HexDigit(value[i]);
        if (digit < 0)
            return -1;
        code = code * 16 + digit;
    }
    return code;
}

void AppendCode(QString& out, QChar c)
{
    out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).rightJustified(4, u'0').toUpper();
}

void AppendEscaped(QString& out, QChar c)
{
    if (c == kBackslash)
        out += QStringLiteral("\\\\");
    else if (c.unicode() > 0xFF || c.unicode() < 0x20)
        AppendCode(out, c);
    else
        out += c;
}

// The escaped text; the first and the last character may be asked for as codes.
QString Escaped(const QString& path, bool codeFirst, bool codeLast)
{
    QString out;
    out.reserve(path.size());
    const qsizetype last = path.size() - 1;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if ((i == 0 && codeFirst) || (i == last && codeLast))
            AppendCode(out, path[i]);
        else
            AppendEscaped(out, path[i]);
    }
    return out;
}

} // namespace

QString EscapePath(const QString& path)
{
    if (path.isEmpty())
        return path;
    // The settings file drops white space around a value, and a value that looks plain is read
    // unchanged. Writing the first or last character as a code keeps both from changing the path: a
    // code starts with "\x", which no plain path does, and ends with a hex digit.
    const bool codeLast = path.back().isSpace();
    const QString out = Escaped(path, false, codeLast);
    if (!LooksLikePlainPath(out) && !path.front().isSpace())
        return out;
    return Escaped(path, true, codeLast);
}

QString UnescapePath(const QString& stored)
{
    const QString value = stored.left(kMaxStoredValueLength);
    if (LooksLikePlainPath(value))
        return value.left(kMaxStoredPathLength);

    QString out;
    qsizetype i = 0;
    while (i < value.size() && out.size() < kMaxStoredPathLength) {
        if (value[i] != kBackslash) {
            out += value[i++];
            continue;
        }
        if (i + 1 < value.size() && value[i + 1] == kBackslash) {
            out += kBackslash;
            i += 2;
            continue;
        }
        // The letter after the backslash is not checked: any escape is six characters.
        const int code = HexCode(value, i + 2);
        if (code < 0) {
            // A broken escape (hand-edited or cut short) is kept as text rather than guessed at.
            out += value[i++];
            continue;
        }
        if (code != 0)
            out += QChar(char16_t(code));
        i += 6;
    }
    return out;
}
