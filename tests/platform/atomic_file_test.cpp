#include "tests/support/file_size_limit.h"
#include "platform/atomic_file.h"

#include "tests/support/temp_folder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace
{


QStringList FilesIn(const TempFolder& folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(AtomicFile, ReplacesContentsAndLeavesNoTemporaryFile)
{
    TempFolder folder;
    folder.write("a.ini", "old contents that are longer than the new ones\n");

    EXPECT_TRUE(WriteFileAtomically(folder.file("a.ini"), "new\n"));

    EXPECT_EQ(folder.read("a.ini"), "new\n");
    EXPECT_EQ(FilesIn(folder), QStringList { "a.ini" });
}

TEST(AtomicFile, FullDiskKeepsTheOldFileWhole)
{
    TempFolder folder;
    const QByteArray old(2000, 'o');
    folder.write("a.ini", old);

    bool written = true;
    {
        FileSizeLimit limit(1000);
        written = WriteFileAtomically(folder.file("a.ini"), QByteArray(5000, 'n'));
    }

    EXPECT_FALSE(written);
    EXPECT_EQ(folder.read("a.ini"), old);
    EXPECT_EQ(FilesIn(folder), QStringList { "a.ini" });
}

TEST(AtomicFile, FolderThatCannotExistFailsQuietly)
{
    TempFolder folder;
    folder.write("plain", "a file where a folder should be");

    EXPECT_FALSE(WriteFileAtomically(folder.file("plain/a.ini"), "x"));
    EXPECT_EQ(folder.read("plain"), "a file where a folder should be");
}

} // namespace
