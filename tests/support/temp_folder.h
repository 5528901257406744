#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh folder for one test, removed with the object.
class TempFolder {
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Writes raw bytes to a file of this folder and returns its full path.
    QString write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
};
