#include "shell/settings_ini.h"

#include "platform/atomic_file.h"

#include <QFile>

#include <iterator>

namespace
{

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

#ifdef _WIN32
constexpr const char* kLineEnd = "\r\n";
#else
constexpr const char* kLineEnd = "\n";
#endif

} // namespace

bool IniDocument::Load(const QString& path)
{
    m_sections.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return false;
    Parse(bytes);
    return true;
}

bool IniDocument::Save(const QString& path) const
{
    return WriteFileAtomically(path, Serialize());
}

void IniDocument::Parse(const QByteArray& text)
{
    m_sections.clear();
    m_sections.push_back({});
    for (const QByteArray& raw : text.split('\n')) {
        QString line = QString::fromLatin1(raw);
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            qsizetype close = trimmed.indexOf(u']');
            if (close < 0)
                close = trimmed.size();
            m_sections.push_back({ trimmed.mid(1, close - 1).trimmed(), {} });
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals > 0 && !trimmed.startsWith(u';'))
            m_sections.back().lines.push_back(
                { trimmed.left(equals).trimmed(), trimmed.mid(equals + 1).trimmed(), {} });
        else
            m_sections.back().lines.push_back({ {}, {}, line });
    }
    // The split leaves one empty piece after the final line break.
    std::vector<Line>& last = m_sections.back().lines;
    if (!text.isEmpty() && text.endsWith('\n') && !last.empty() && last.back().key.isEmpty()
        && last.back().text.isEmpty())
        last.pop_back();
}

QByteArray IniDocument::Serialize() const
{
    QByteArray out;
    for (const Section& section : m_sections) {
        // Only the lines before the first header have no header of their own. A later section keeps
        // its header even when its name is empty ("[]" or a lone "["), or its keys would join the
        // section before it when the file is read again.
        if (!section.name.isEmpty() || &section != &m_sections.front())
            out += '[' + section.name.toLatin1() + ']' + kLineEnd;
        for (const Line& line : section.lines) {
            if (line.key.isEmpty())
                out += line.text.toLatin1();
            else
                out += line.key.toLatin1() + '=' + line.value.toLatin1();
            out += kLineEnd;
        }
    }
    return out;
}

const IniDocument::Section* IniDocument::FindSection(const QString& name) const
{
    for (const Section& section : m_sections)
        if (!section.name.isEmpty() && SameName(section.name, name))
            return &section;
    return nullptr;
}

IniDocument::Section& IniDocument::SectionFor(const QString& name)
{
    for (Section& section : m_sections)
        if (!section.name.isEmpty() && SameName(section.name, name))
            return section;
    if (!m_sections.empty()) {
        // A blank line between sections, as hand-written files have it.
        const Section& previous = m_sections.back();
        const bool endsBlank = !previous.lines.empty() && previous.lines.back().key.isEmpty()
            && previous.lines.back().text.trimmed().isEmpty();
        if (!endsBlank && (!previous.lines.empty() || !previous.name.isEmpty()))
            m_sections.back().lines.push_back({});
    }
    m_sections.push_back({ name, {} });
    return m_sections.back();
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const
{
    if (const Section* found = FindSection(section))
        for (const Line& line : found->lines)
            if (!line.key.isEmpty() && SameName(line.key, key))
                return line.value;
    return std::nullopt;
}

QString IniDocument::String(const QString& section, const QString& key, const QString& fallback) const
{
    return Value(section, key).value_or(fallback);
}

int IniDocument::Integer(const QString& section, const QString& key, int fallback) const
{
    const std::optional<QString> value = Value(section, key);
    if (!value)
        return fallback;
    bool ok = false;
    const int number = value->toInt(&ok, 10);
    return ok ? number : fallback;
}

QStringList IniDocument::Keys(const QString& section) const
{
    QStringList keys;
    if (const Section* found = FindSection(section))
        for (const Line& line : found->lines)
            if (!line.key.isEmpty() && !keys.contains(line.key, Qt::CaseInsensitive))
                keys.append(line.key);
    return keys;
}

void IniDocument::SetString(const QString& section, const QString& key, const QString& value)
{
    Section& target = SectionFor(section);
    for (Line& line : target.lines) {
        if (!line.key.isEmpty() && SameName(line.key, key)) {
            line.value = value;
            return;
        }
    }
    // New keys go after the section's last key, before the blank lines that separate it from the next.
    auto at = target.lines.end();
    while (
        at != target.lines.begin() && std::prev(at)->key.isEmpty() && std::prev(at)->text.trimmed().isEmpty())
        --at;
    target.lines.insert(at, { key, value, {} });
}

void IniDocument::SetInteger(const QString& section, const QString& key, int value)
{
    SetString(section, key, QString::number(value));
}

void IniDocument::Remove(const QString& section, const QString& key)
{
    for (Section& target : m_sections) {
        if (target.name.isEmpty() || !SameName(target.name, section))
            continue;
        std::erase_if(
            target.lines, [&](const Line& line) { return !line.key.isEmpty() && SameName(line.key, key); });
    }
}
