// The option file's bytes: what the writer produces, and every form the reader
// must accept or refuse.
#include "EncodedOptions.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

bool Decode(const QByteArray& bytes, ConvertOptions& options) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadOptionFile(buffer, options);
}

ConvertOptions WithWaveFolder(const QString& folder) {
    ConvertOptions options;
    options.SetDefaults(QStringLiteral("/home/ann"));
    options.m_strWaveFolder = folder;
    return options;
}

void ExpectRoundTrip(const QByteArray& bytes, const ConvertOptions& options) {
    ConvertOptions read;
    ASSERT_TRUE(Decode(bytes, read));
    EXPECT_EQ(read, options);
}

// An empty MP3 folder and the values 1, 2, 3, 4, 5.
const QByteArray kRestOfRecord = Hex("00 01000000 02000000 03000000 04000000 05000000");

TEST(OptionFileFormat, DefaultsWriteExactBytes) {
    ConvertOptions options;
    options.SetDefaults(QStringLiteral("/home/ann"));
    EXPECT_EQ(Encode(options), Hex("11") + "/home/ann/WavFile" + Hex("11") + "/home/ann/Mp3File" +
                                   Hex("01000000 01000000 80000000 00000000 00000000"));
}

TEST(OptionFileFormat, DefaultsFollowTheHomeFolder) {
    ConvertOptions options;
    options.SetDefaults(QStringLiteral("/"));
    EXPECT_EQ(QStringList({options.m_strWaveFolder, options.m_strMp3Folder}),
              QStringList({"/WavFile", "/Mp3File"}));
    options.SetDefaults();
    EXPECT_EQ(QStringList({options.m_strWaveFolder, options.m_strMp3Folder}),
              QStringList({QDir::homePath() + "/WavFile", QDir::homePath() + "/Mp3File"}));
}

TEST(OptionFileFormat, WriterPicksTheShortestPrefix) {
    const struct {
        int length;
        const char* prefix;
    } cases[] = {
        {0, "00"},
        {254, "fe"},
        {255, "ffff00"},
        {65533, "fffdff"},
        {65534, "ffffffFEFF0000"},
        {70000, "ffffff70110100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const ConvertOptions options = WithWaveFolder(QString(c.length, QLatin1Char('a')));
        const QByteArray bytes = Encode(options), prefix = Hex(c.prefix);
        EXPECT_EQ(bytes.left(prefix.size()).toHex(), prefix.toHex());
        EXPECT_EQ(bytes.mid(prefix.size(), c.length), QByteArray(c.length, 'a'));
        ExpectRoundTrip(bytes, options);
    }
}

TEST(OptionFileFormat, FoldersAreStoredAsUtf8) {
    const ConvertOptions options = WithWaveFolder(QStringLiteral("/home/ann/Müsik/音"));
    EXPECT_EQ(Encode(options).left(21), Hex("14") + "/home/ann/M\xc3\xbcsik/\xe9\x9f\xb3");
    ExpectRoundTrip(Encode(options), options);
}

// Qt's decoders drop a leading U+FEFF as a byte order mark unless told not to.
TEST(OptionFileFormat, ALeadingFeffStaysInTheFolderInEitherForm) {
    const ConvertOptions options = WithWaveFolder(QStringLiteral("\uFEFF/home/ann"));
    ExpectRoundTrip(Encode(options), options);
    ConvertOptions read;
    ASSERT_TRUE(Decode(Hex("fffeff02fffe4100") + kRestOfRecord, read));
    EXPECT_EQ(read.m_strWaveFolder, QStringLiteral("\uFEFFA"));
    ASSERT_TRUE(Decode(Hex("0241c3") + kRestOfRecord, read));
    EXPECT_EQ(read.m_strWaveFolder, QStringLiteral("A\uFFFD")) << "an unfinished sequence";
}

TEST(OptionFileFormat, ReaderAcceptsEveryPrefixForm) {
    const QByteArray utf16 = Hex("4d00fc00f397"); // "Mü音"
    const struct {
        const char* form;
        QByteArray stored;
        QString expected;
    } cases[] = {
        {"empty", Hex("00"), QString()},
        {"16-bit length for 10 bytes", Hex("ff0a00") + "0123456789", QStringLiteral("0123456789")},
        {"32-bit length for 10 bytes", Hex("ffffff0a000000") + "0123456789",
         QStringLiteral("0123456789")},
        {"16-bit characters", Hex("fffeff03") + utf16, QStringLiteral("Mü音")},
        {"16-bit characters, 16-bit count", Hex("fffeffff0300") + utf16, QStringLiteral("Mü音")},
        {"16-bit characters, 32-bit count", Hex("fffeffffffff03000000") + utf16,
         QStringLiteral("Mü音")},
        {"16-bit characters, surrogate pair", Hex("fffeff0234d81edd"), QStringLiteral("𝄞")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        ConvertOptions read;
        ASSERT_TRUE(Decode(c.stored + kRestOfRecord, read));
        EXPECT_EQ(read.m_strWaveFolder, c.expected);
        EXPECT_EQ(read.m_strMp3Folder, QString());
        EXPECT_EQ(read.m_bSameFolder, 1);
        EXPECT_EQ(read.m_nChannelMode, 5);
    }
}

TEST(OptionFileFormat, EveryCutShortOfTheEndFails) {
    const QByteArray whole =
        Hex("fffeff03") + Hex("4d00fc00f397") + Hex("ff0a00") + "0123456789" + kRestOfRecord.mid(1);
    ConvertOptions read;
    ASSERT_TRUE(Decode(whole, read));
    for (int size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(Decode(whole.left(size), read));
    }
}

TEST(OptionFileFormat, ValuesAreSignedLittleEndian) {
    ConvertOptions options = WithWaveFolder(QString());
    options.m_nBitrate = -2;
    options.m_nChannelMode = 0x01020304;
    EXPECT_EQ(Encode(options).right(12).toHex(), Hex("feffffff0000000004030201").toHex());
}

TEST(OptionFileFormat, WriteFailureIsReported) {
    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    ConvertOptions options;
    options.SetDefaults();
    EXPECT_FALSE(WriteOptionFile(full, options));
}

// Exit code for the death test: 0 when every file is refused while the
// address space allows only 256 MiB more than is in use.
int RefuseUnderMemoryLimit(const QStringList& paths) {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 2;
    const rlim_t pages = statm.readAll().split(' ').value(0).toULongLong();
    const rlimit limit{pages * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(256) << 20), RLIM_INFINITY};
    if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
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
    const QByteArray prefixes[] = {
        Hex("fffffff0ffffff"),       // 4 GiB of bytes
        Hex("fffeffffffffffffffff"), // 8 GiB of 16-bit characters
        Hex("ff00f0"),               // 61440 bytes
    };
    QStringList paths;
    for (const QByteArray& prefix : prefixes) {
        QFile file(dir.filePath(QString::number(paths.size())));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(prefix.leftJustified(30, 'x')), 30);
        paths << file.fileName();
    }
    EXPECT_EXIT(_exit(RefuseUnderMemoryLimit(paths)), testing::ExitedWithCode(0), "");
}

} // namespace
