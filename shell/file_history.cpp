#include "shell/file_history.h"

void FileHistory::AddRecentFile(const QString& path)
{
    if (!path.isEmpty())
        m_entries.removeAll(QString());
    const qsizetype listed = m_entries.indexOf(path);
    if (listed >= 0) {
        m_entries.move(listed, 0);
        return;
    }
    m_entries.prepend(path);
    if (m_entries.size() > kMaxEntries)
        m_entries.resize(kMaxEntries);
}

bool FileHistory::RemoveRecentFile(const QString& path)
{
    const qsizetype listed = m_entries.indexOf(path);
    if (listed < 0)
        return false;
    m_entries.removeAt(listed);
    return true;
}

void FileHistory::Assign(const QStringList& entries)
{
    m_entries = entries.mid(0, kMaxEntries);
}

QString FileHistory::Caption(int index) const
{
    const QString path = Entry(index);
    qsizetype slash = path.lastIndexOf(u'\\');
    if (slash < 0)
        slash = path.lastIndexOf(u'/');
    QString caption = (QString::number(index) + u' ' + path.mid(slash + 1)).left(kMaxCaptionLength);
    const qsizetype dot = caption.lastIndexOf(u'.');
    if (dot >= 0)
        caption.truncate(dot);
    return caption;
}
