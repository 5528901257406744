#pragma once

#include <QString>
#include <QStringList>

// The recently used parameter files, most recent first, at most ten. Entry 0 is normally the current
// file (empty after New) and has no menu item; entries 1 to 9 are the File menu's history items, and
// a separator follows them while any of them is shown. The window binds its menu to Caption,
// MenuItemVisible and SeparatorVisible after each change.
class FileHistory
{
public:
    static constexpr int kMaxEntries = 10;
    static constexpr int kMenuItems = 9;
    static constexpr int kMaxCaptionLength = 127;

    // Puts a path at the head. A path already listed (exact, case-sensitive) moves there; a new one
    // pushes the others down, the tenth falling off. A non-empty path first drops empty entries.
    void AddRecentFile(const QString& path);
    // Takes the first entry equal to the path out; false when none is.
    bool RemoveRecentFile(const QString& path);

    // Replaces the list, keeping at most kMaxEntries.
    void Assign(const QStringList& entries);
    const QStringList& Entries() const { return m_entries; }
    int Count() const { return int(m_entries.size()); }
    QString Entry(int index) const { return m_entries.value(index); }

    // "%i %s": the index and the entry's file name without folder and extension.
    QString Caption(int index) const;
    // For the menu items 1 to 9.
    bool MenuItemVisible(int index) const { return index >= 1 && index <= kMenuItems && index < Count(); }
    bool SeparatorVisible() const { return Count() > 1; }

private:
    QStringList m_entries;
};
