#include "platform/atomic_file.h"

#include <QFileInfo>
#include <QSaveFile>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{

// After the rename, the new directory entry itself must reach the disk, or a power cut can bring
// back the old name.
void SyncFolderOf(const QString& path)
{
#ifndef _WIN32
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(path);
#endif
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes a temporary file next to the target, syncs it on commit and renames it over
    // the target. Writing in place when no temporary file can be made would defeat the point.
    // Unbuffered: with a buffer, Qt 6.4 flushes inside commit() and renames the file even when that
    // flush failed half-way (full disk), which puts a torn file in place of the good one.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit())
        return false;
    SyncFolderOf(path);
    return true;
}
