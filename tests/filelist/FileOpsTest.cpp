// Moves that never replace a file, on real files in a temporary folder.
#include "FileOps.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(FileOpsTest, RenameMovesTheFileAndNeverReplacesAnother) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto path = [&](const char* name) { return folder.filePath(name); };
    const auto read = [&](const char* name) { return ReadAll(path(name)); };
    for (auto move : {&RenameNoReplace, &MoveByLink}) {
        const QString from = path("from.mp3"), taken = path("taken.mp3");
        ASSERT_TRUE(WriteBytes(from, "source") && WriteBytes(taken, "keep me"));
        EXPECT_FALSE(move(from, taken));
        EXPECT_EQ(read("from.mp3"), "source");
        EXPECT_EQ(read("taken.mp3"), "keep me");

        EXPECT_TRUE(move(from, path("to.mp3")));
        EXPECT_FALSE(QFile::exists(from));
        EXPECT_EQ(read("to.mp3"), "source");

        EXPECT_FALSE(move(path("missing.mp3"), path("new.mp3")));
        EXPECT_FALSE(QFile::exists(path("new.mp3")));
        QFile::remove(path("to.mp3"));
        QFile::remove(taken);
    }
}

} // namespace
