// Loading and saving option.opt in a real folder standing in for the program's.
#include "EncodedOptions.h"
#include "TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ConvertOptions Defaults() {
    ConvertOptions options;
    options.SetDefaults();
    return options;
}

// Nothing here is a default, and several values lie outside what the Options
// dialog would write.
ConvertOptions Unusual() {
    return {"/srv/out/wave", "/srv/out/mp3", 7, 0, 44, -1, 9};
}

class LoadOptionsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString FilePath() const { return OptionFilePath(Folder()); }

    void WriteFile(const QByteArray& bytes) const { ASSERT_TRUE(WriteBytes(FilePath(), bytes)); }
    QByteArray ReadFile() const { return ReadAll(FilePath()); }

    QTemporaryDir m_dir;
};

TEST_F(LoadOptionsTest, MissingFileIsCreatedWithTheDefaults) {
    ConvertOptions options = Unusual();
    ASSERT_TRUE(LoadOptions(Folder(), options));
    EXPECT_EQ(options, Defaults());
    EXPECT_EQ(ReadFile(), Encode(Defaults()));
}

// An unreadable file gives all seven defaults, also for items read before the
// data ran out, and is rewritten; a readable one is taken as it is and left alone.
TEST_F(LoadOptionsTest, ExistingFileIsTakenOrReplacedWithTheDefaults) {
    const QByteArray unusual = Encode(Unusual());
    const QByteArray defaults = Encode(Defaults());
    const struct {
        const char* what;
        QByteArray stored;
        ConvertOptions loaded;
        QByteArray storedAfter;
    } cases[] = {
        {"empty file", QByteArray(), Defaults(), defaults},
        {"ends inside the bit rate", unusual.left(unusual.size() - 10), Defaults(), defaults},
        {"string longer than the file", QByteArray::fromHex("ff0010") + "/srv", Defaults(),
         defaults},
        {"values out of range", unusual, Unusual(), unusual},
        {"extra bytes after the last value", unusual + "left over", Unusual(),
         unusual + "left over"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(c.stored);
        ConvertOptions options{"/a", "/b", 3, 3, 3, 3, 3};
        ASSERT_TRUE(LoadOptions(Folder(), options));
        EXPECT_EQ(options, c.loaded);
        EXPECT_EQ(ReadFile(), c.storedAfter);
    }
}

TEST_F(LoadOptionsTest, EmptyProgramFolderMeansTheCurrentDirectory) {
    EXPECT_EQ(OptionFilePath(QString()), "option.opt");
    EXPECT_EQ(OptionFilePath("/opt/Tools/"), "/opt/Tools/option.opt");

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    ConvertOptions options;
    const bool loaded = LoadOptions(QString(), options);
    QDir::setCurrent(previous);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(ReadFile(), Encode(Defaults()));
}

TEST_F(LoadOptionsTest, SaveReplacesTheWholeFile) {
    WriteFile(Encode(Defaults()) + QByteArray(100, 'x'));
    ASSERT_EQ(SaveOptions(Folder(), Unusual()), SaveOptionsResult::Saved);
    EXPECT_EQ(ReadFile(), Encode(Unusual()));

    ConvertOptions options;
    ASSERT_TRUE(LoadOptions(Folder(), options));
    EXPECT_EQ(options, Unusual());
}

TEST_F(LoadOptionsTest, LoadAndSaveTellCreatingFromWritingFailures) {
    ConvertOptions options;
    EXPECT_FALSE(LoadOptions(Folder() + "missing/", options));
    EXPECT_FALSE(QFileInfo::exists(Folder() + "missing"));
    EXPECT_EQ(SaveOptions(Folder() + "missing/", Defaults()), SaveOptionsResult::NotCreated);

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("option.opt"));
    EXPECT_FALSE(LoadOptions(Folder(), options));
    EXPECT_TRUE(QFileInfo(FilePath()).isDir());
    ASSERT_TRUE(QDir(m_dir.path()).rmdir("option.opt"));

    ASSERT_TRUE(QFile::link("/dev/full", FilePath()));
    EXPECT_EQ(SaveOptions(Folder(), Defaults()), SaveOptionsResult::NotWritten);
}

TEST_F(LoadOptionsTest, SaveReplacesALinksTargetAndLeavesAReadOnlyFileAlone) {
    const QString target = m_dir.filePath("settings.bin");
    ASSERT_TRUE(WriteBytes(target, "old"));
    ASSERT_TRUE(QFile::link(target, FilePath()));
    ASSERT_EQ(SaveOptions(Folder(), Unusual()), SaveOptionsResult::Saved);
    EXPECT_TRUE(QFileInfo(FilePath()).isSymLink());
    EXPECT_EQ(ReadAll(target), Encode(Unusual()));

    ASSERT_TRUE(QFile::remove(FilePath()));
    WriteFile("read-only");
    ASSERT_TRUE(QFile::setPermissions(FilePath(), QFile::ReadOwner));
    EXPECT_EQ(SaveOptions(Folder(), Unusual()), SaveOptionsResult::NotCreated);
    EXPECT_EQ(ReadFile(), "read-only");
    EXPECT_EQ(FolderEntries(m_dir.path()), QStringList({"option.opt", "settings.bin"}));
}

} // namespace
