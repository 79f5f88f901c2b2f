// Loading libsonavek.so by absolute path only, never from the program's or the
// current folder.
#include "EncoderLibrary.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

// How many of the five entry points are set.
int EntryPointsSet(const CEncoderLibrary& library) {
    return !!library.m_pBeVersion + !!library.m_pBeInitStream + !!library.m_pBeEncodeChunk +
           !!library.m_pBeDeinitStream + !!library.m_pBeCloseStream;
}

TEST(EncoderLibraryTest, LoadsFromTheSystemDirectoryByAbsolutePath) {
    const QString directory = SystemLibraryDirectory();
    ASSERT_TRUE(QDir::isAbsolutePath(directory)) << directory.toStdString();
    EXPECT_NE(directory, QDir(QCoreApplication::applicationDirPath()).absolutePath())
        << "never the program's own folder";

    CEncoderLibrary library;
    ASSERT_TRUE(library.Load());
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_EQ(EntryPointsSet(library), 5);
    BE_VERSION version{};
    EXPECT_EQ(library.m_pBeVersion(&version), BE_ERR_SUCCESSFUL);
}

TEST(EncoderLibraryTest, RelativeDirectoryIsRefusedEvenWhereTheLibraryIs) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(SystemLibraryDirectory()));
    CEncoderLibrary library;
    const bool loaded = library.Load(QStringLiteral("."));
    QDir::setCurrent(previous);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(EntryPointsSet(library), 0);
}

// A caller's slip is refused, never a crash: more than S samples (which could
// overrun B), a stream after its flush or close, handles never given out,
// and missing pointers.
TEST(EncoderLibraryTest, BadCallsAreRefusedAndLeaveTheStreamUsable) {
    CEncoderLibrary library;
    ASSERT_TRUE(library.Load());
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = 44100;
    config.wBitrate = 128;
    uint32_t chunkSamples = 0;
    uint32_t bufferSize = 0;
    HBE_STREAM stream = 0;
    ASSERT_EQ(library.m_pBeInitStream(&config, &chunkSamples, &bufferSize, &stream), 0u);
    std::vector<int16_t> samples(chunkSamples + 2);
    std::vector<uint8_t> output(bufferSize);
    uint32_t written = 0;
    EXPECT_NE(
        library.m_pBeEncodeChunk(stream, chunkSamples + 2, samples.data(), output.data(), &written),
        0u);
    EXPECT_NE(library.m_pBeEncodeChunk(stream, 4, nullptr, output.data(), &written), 0u);
    EXPECT_NE(library.m_pBeDeinitStream(stream, output.data(), nullptr), 0u);
    for (HBE_STREAM unknown : {HBE_STREAM(0), HBE_STREAM(stream + 1), HBE_STREAM(0xDEADBEEF)}) {
        EXPECT_NE(library.m_pBeEncodeChunk(unknown, 2, samples.data(), output.data(), &written),
                  0u);
        EXPECT_NE(library.m_pBeCloseStream(unknown), 0u);
    }
    EXPECT_EQ(library.m_pBeEncodeChunk(stream, 4, samples.data(), output.data(), &written), 0u);
    ASSERT_EQ(library.m_pBeDeinitStream(stream, output.data(), &written), 0u);
    EXPECT_NE(library.m_pBeDeinitStream(stream, output.data(), &written), 0u);
    EXPECT_NE(library.m_pBeEncodeChunk(stream, 2, samples.data(), output.data(), &written), 0u);
    EXPECT_EQ(library.m_pBeCloseStream(stream), 0u);
    EXPECT_NE(library.m_pBeCloseStream(stream), 0u);
}

} // namespace
