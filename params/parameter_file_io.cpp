#include "params/parameter_file.h"

#include "platform/atomic_file.h"

#include <QFile>

ParameterFileResult LoadParameterFile(const QString& path, ParameterBlock& block)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { ParameterFileStatus::CannotOpen, 0 };
    const qint64 size = file.size();
    if (size >= kMaxParameterFileSize)
        return { ParameterFileStatus::TooLarge, 0 };

    // Read at most the limit even when the reported size is wrong (devices, files still growing).
    const QByteArray text = file.read(kMaxParameterFileSize);
    if (text.size() >= kMaxParameterFileSize)
        return { ParameterFileStatus::TooLarge, 0 };
    if (file.error() != QFileDevice::NoError || (!file.isSequential() && text.size() != size))
        return { ParameterFileStatus::ReadError, 0 };
    return ReadParameterFile(text, block);
}

bool SaveParameterFile(const QString& path, const ParameterBlock& block, const ParameterFileInfo& info)
{
    return WriteFileAtomically(path, WriteParameterFile(block, info));
}
