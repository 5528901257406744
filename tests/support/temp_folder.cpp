#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>

TempFolder::TempFolder() : m_dir(QDir::tempPath() + "/velmor-case-XXXXXX") {}

QString TempFolder::write(const QString& name, const QByteArray& bytes) const
{
    const QString full = file(name);
    QFile f(full);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return full;
}

QByteArray TempFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
