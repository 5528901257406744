#include "shell/settings_test_marker.h"

#include <QByteArray>
#include <QFile>

#include <cctype>

namespace
{

constexpr qsizetype kMaxWordLength = 255;
constexpr qint64 kChunkSize = 4096;

} // namespace

bool ReadTestMarker(const QString& markerPath)
{
    QFile file(markerPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;

    // Streamed in chunks, so a marker file of any size is read with bounded memory.
    QByteArray word;
    auto endWord = [&word]() {
        const bool found = word == "DIAG_ACTIVE";
        word.clear();
        return found;
    };
    for (;;) {
        const QByteArray chunk = file.read(kChunkSize);
        if (chunk.isEmpty())
            break;
        for (const char c : chunk) {
            if (std::isspace(static_cast<unsigned char>(c))) {
                if (endWord())
                    return true;
            } else if (word.size() < kMaxWordLength) {
                word += c;
            }
        }
    }
    return endWord();
}
