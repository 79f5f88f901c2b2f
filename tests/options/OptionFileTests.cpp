// option.opt: the bytes the writer produces, what the reader refuses, and
// loading and saving it in a real folder.
#include "ChildProcess.h"
#include "EncodedOptions.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

ConvertOptions WithWaveFolder(const QString& folder) {
    ConvertOptions options;
    options.SetDefaults(QStringLiteral("/home/ann"));
    options.m_strWaveFolder = folder;
    return options;
}

bool Read(QByteArray bytes, ConvertOptions& read) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadOptionFile(buffer, read);
}

void ExpectRoundTrip(const QByteArray& bytes, const ConvertOptions& options) {
    ConvertOptions read;
    ASSERT_TRUE(Read(bytes, read));
    EXPECT_EQ(read, options);
}

TEST(OptionFileFormat, DefaultsWriteExactBytes) {
    ConvertOptions options;
    options.SetDefaults(QStringLiteral("/home/ann"));
    EXPECT_EQ(Encode(options), Hex("11") + "/home/ann/WavFile" + Hex("11") + "/home/ann/Mp3File" +
                                   Hex("01000000 01000000 80000000 00000000 00000000"));
}

TEST(OptionFileFormat, WriterPicksTheShortestPrefix) {
    const std::pair<int, const char*> cases[] = {
        {254, "fe"}, {255, "ffff00"}, {65534, "ffffffFEFF0000"}};
    for (const auto& [length, hex] : cases) {
        SCOPED_TRACE(length);
        const ConvertOptions options = WithWaveFolder(QString(length, QLatin1Char('a')));
        const QByteArray bytes = Encode(options), prefix = Hex(hex);
        EXPECT_EQ(bytes.left(prefix.size()).toHex(), prefix.toHex());
        EXPECT_EQ(bytes.mid(prefix.size(), length), QByteArray(length, 'a'));
        ExpectRoundTrip(bytes, options);
    }
}

TEST(OptionFileFormat, FoldersAreStoredAsUtf8) {
    const ConvertOptions options = WithWaveFolder(QStringLiteral("/home/ann/Müsik/音"));
    EXPECT_EQ(Encode(options).left(21), Hex("14") + "/home/ann/M\xc3\xbcsik/\xe9\x9f\xb3");
    ExpectRoundTrip(Encode(options), options);
}

// Files of the older program may hold 16-bit text: FF FFFE, then the count of
// characters in any length form. Qt's decoder would drop a leading U+FEFF.
TEST(OptionFileFormat, ReaderTakesSixteenBitTextInEveryLengthForm) {
    const QByteArray utf16 = Hex("4d00fc00f397"); // "Mü音"
    const std::pair<QByteArray, QString> cases[] = {
        {Hex("fffeff03") + utf16, QStringLiteral("Mü音")},
        {Hex("fffeffff0300") + utf16, QStringLiteral("Mü音")},
        {Hex("fffeffffffff03000000") + utf16, QStringLiteral("Mü音")},
        {Hex("fffeff0234d81edd"), QStringLiteral("𝄞")},
        {Hex("fffeff02fffe4100"), QStringLiteral("\uFEFFA")},
    };
    // An empty MP3 folder and the values 1, 2, 3, 4, 5.
    const QByteArray rest = Hex("00 01000000 02000000 03000000 04000000 05000000");
    for (const auto& [stored, folder] : cases) {
        SCOPED_TRACE(stored.toHex().toStdString());
        ConvertOptions read;
        ASSERT_TRUE(Read(stored + rest, read));
        EXPECT_EQ(read, (ConvertOptions{folder, "", 1, 2, 3, 4, 5}));
    }
}

// Exit code for the death test: 0 when every file is refused while the
// address space allows only 256 MiB more than is in use.
int RefuseUnderMemoryLimit(const QStringList& paths) {
    if (!LimitAddressSpace(rlim_t(256) << 20))
        return 2;
    for (const QString& path : paths) {
        QFile file(path);
        ConvertOptions read;
        if (!file.open(QIODevice::ReadOnly) || ReadOptionFile(file, read))
            return 1;
    }
    return 0;
}

// A length prefix promising gigabytes in a 30-byte file is short data. The
// reads run under a tight address-space limit, so allocating the promised size
// would throw instead of passing unnoticed on an overcommitting system.
TEST(OptionFileFormatDeathTest, OversizeLengthIsShortDataWithoutAllocating) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList paths;
    // 4 GiB of bytes, 8 GiB of 16-bit characters, 61440 bytes.
    for (const char* prefix : {"fffffff0ffffff", "fffeffffffffffffffff", "ff00f0"}) {
        paths << dir.filePath(QString::number(paths.size()));
        ASSERT_TRUE(WriteBytes(paths.last(), Hex(prefix).leftJustified(30, 'x')));
    }
    EXPECT_EXIT(_exit(RefuseUnderMemoryLimit(paths)), testing::ExitedWithCode(0), "");
}

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
        {"string longer than the file", Hex("ff0010") + "/srv", Defaults(), defaults},
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

// Exit code for the death test: 0 when an option file that is a FIFO nobody
// reads gives the defaults at start-up and fails to save like a file that
// cannot be created, without waiting for a writer or a reader. A wait ends
// the child by its alarm.
int LoadAndSaveBesideAFifo(const QString& folder) {
    alarm(20);
    ConvertOptions options = Unusual();
    if (LoadOptions(folder, options))
        return 1;
    if (options != Defaults())
        return 2;
    return SaveOptions(folder, Unusual()) == SaveOptionsResult::NotCreated ? 0 : 3;
}

TEST_F(LoadOptionsTest, AFifoIsNeverWaitedOnAndADeviceIsWrittenInPlace) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EQ(mkfifo(QFile::encodeName(FilePath()).constData(), 0600), 0);
    EXPECT_EXIT(_exit(LoadAndSaveBesideAFifo(Folder())), testing::ExitedWithCode(0), "");

    ASSERT_TRUE(QFile::remove(FilePath()));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), FilePath()));
    ConvertOptions options = Unusual();
    EXPECT_TRUE(LoadOptions(Folder(), options));
    EXPECT_EQ(options, Defaults());
    EXPECT_EQ(SaveOptions(Folder(), Unusual()), SaveOptionsResult::Saved);
    EXPECT_TRUE(QFileInfo(FilePath()).isSymLink());
}

} // namespace
