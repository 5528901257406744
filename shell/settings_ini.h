#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A plain INI text: "[section]" lines and "key=value" lines, 8-bit characters, no quoting. Section
// and key names compare without regard to case and the first of two equal keys counts, as with the
// platform's profile functions, so a file written by hand or by them reads the same. Lines that are
// neither (comments, blank lines, stray text) are kept as they were when the document is written
// back, and so are keys the program does not know.
class IniDocument
{
public:
    // Settings files are small; anything larger is not ours and is not read.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    // Reads a file. A missing, unreadable or oversized file gives an empty document and false.
    bool Load(const QString& path);
    // Writes the document as one atomic replacement of the file.
    bool Save(const QString& path) const;

    void Parse(const QByteArray& text);
    QByteArray Serialize() const;

    std::optional<QString> Value(const QString& section, const QString& key) const;
    QString String(const QString& section, const QString& key, const QString& fallback = QString()) const;
    // A value that is not a whole decimal number within the range of int gives the fallback.
    int Integer(const QString& section, const QString& key, int fallback) const;
    // The keys of a section, in file order, each once.
    QStringList Keys(const QString& section) const;

    // Changes the first equal key in place or appends it to its section (making the section if needed).
    void SetString(const QString& section, const QString& key, const QString& value);
    void SetInteger(const QString& section, const QString& key, int value);
    // Removes every line of that key.
    void Remove(const QString& section, const QString& key);

private:
    struct Line {
        QString key; // empty: `text` is a line kept as it was
        QString value;
        QString text;
    };
    struct Section {
        QString name; // empty for the lines before the first section header
        std::vector<Line> lines;
    };

    const Section* FindSection(const QString& name) const;
    Section& SectionFor(const QString& name);

    std::vector<Section> m_sections;
};
