// The library's contract at its edges: refused configurations, bad pointers
// and handles, and exactly five exported names.
#include "EncodeHelpers.h"
#include "SoundFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class SonavekInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_library.Load()) << "libsonavek.so not built"; }

    // A stream that is open; its chunk size and output room are kept, and room
    // for `samples` of input and that output.
    HBE_STREAM Open(size_t samples = 4) {
        const BE_CONFIG config = MakeConfig(44100, BE_MP3_MODE_STEREO, 128);
        HBE_STREAM stream = 0;
        EXPECT_EQ(m_library.m_pBeInitStream(&config, &chunkSamples, &bufferSize, &stream),
                  BE_ERR_SUCCESSFUL);
        input.resize(samples ? samples : chunkSamples + 2);
        output.resize(bufferSize);
        return stream;
    }

    CEncoderLibrary m_library;
    uint32_t chunkSamples = 0, bufferSize = 0, written = 0;
    std::vector<int16_t> input;
    std::vector<uint8_t> output;
};

BE_CONFIG WithConfigKind(uint32_t kind) {
    BE_CONFIG config = MakeConfig(44100, 0, 128);
    config.dwConfig = kind;
    return config;
}

TEST_F(SonavekInterfaceTest, RefusesConfigurationsItCannotHonour) {
    const std::pair<const char*, BE_CONFIG> cases[] = {
        {"config kind 1", WithConfigKind(1)},  {"mode 1", MakeConfig(44100, 1, 128)},
        {"mode 4", MakeConfig(44100, 4, 128)}, {"33 kbit/s", MakeConfig(44100, 0, 33)},
        {"0 kbit/s", MakeConfig(44100, 0, 0)}, {"640 kbit/s", MakeConfig(44100, 0, 640)},
        {"rate 0", MakeConfig(0, 0, 128)},     {"rate 1000000", MakeConfig(1000000, 0, 128)},
    };
    for (const auto& [name, config] : cases) {
        HBE_STREAM stream = 0;
        EXPECT_NE(m_library.m_pBeInitStream(&config, &chunkSamples, &bufferSize, &stream),
                  BE_ERR_SUCCESSFUL)
            << name;
    }
}

TEST_F(SonavekInterfaceTest, NullPointersAreErrors) {
    const BE_CONFIG config = MakeConfig(44100, 0, 128);
    HBE_STREAM stream = 0;
    EXPECT_NE(m_library.m_pBeVersion(nullptr), BE_ERR_SUCCESSFUL);
    EXPECT_NE(m_library.m_pBeInitStream(nullptr, &chunkSamples, &bufferSize, &stream), 0u);
    EXPECT_NE(m_library.m_pBeInitStream(&config, nullptr, &bufferSize, &stream), 0u);
    EXPECT_NE(m_library.m_pBeInitStream(&config, &chunkSamples, nullptr, &stream), 0u);
    EXPECT_NE(m_library.m_pBeInitStream(&config, &chunkSamples, &bufferSize, nullptr), 0u);

    stream = Open();
    int16_t* const samples = input.data();
    EXPECT_NE(m_library.m_pBeEncodeChunk(stream, 4, nullptr, output.data(), &written), 0u);
    EXPECT_NE(m_library.m_pBeEncodeChunk(stream, 4, samples, nullptr, &written), 0u);
    EXPECT_NE(m_library.m_pBeEncodeChunk(stream, 4, samples, output.data(), nullptr), 0u);
    EXPECT_NE(m_library.m_pBeDeinitStream(stream, nullptr, &written), 0u);
    EXPECT_NE(m_library.m_pBeDeinitStream(stream, output.data(), nullptr), 0u);
    // The refused calls left the stream usable.
    EXPECT_EQ(m_library.m_pBeEncodeChunk(stream, 4, samples, output.data(), &written), 0u);
    EXPECT_EQ(m_library.m_pBeDeinitStream(stream, output.data(), &written), 0u);
    EXPECT_EQ(m_library.m_pBeCloseStream(stream), 0u);
}

TEST_F(SonavekInterfaceTest, UnknownClosedAndFlushedStreamsAreErrors) {
    const HBE_STREAM stream = Open(0);
    const auto encode = [&](HBE_STREAM s, uint32_t count) {
        return m_library.m_pBeEncodeChunk(s, count, input.data(), output.data(), &written);
    };
    EXPECT_NE(encode(stream, chunkSamples + 2), 0u)
        << "more than S samples cannot be promised to fit in B bytes";
    for (HBE_STREAM unknown : {HBE_STREAM(0), HBE_STREAM(stream + 1), HBE_STREAM(0xDEADBEEF)}) {
        EXPECT_NE(encode(unknown, 2), 0u);
        EXPECT_NE(m_library.m_pBeDeinitStream(unknown, output.data(), &written), 0u);
        EXPECT_NE(m_library.m_pBeCloseStream(unknown), 0u);
    }

    ASSERT_EQ(m_library.m_pBeDeinitStream(stream, output.data(), &written), 0u);
    EXPECT_NE(m_library.m_pBeDeinitStream(stream, output.data(), &written), 0u);
    EXPECT_NE(encode(stream, 2), 0u);
    EXPECT_EQ(m_library.m_pBeCloseStream(stream), 0u);
    EXPECT_NE(m_library.m_pBeCloseStream(stream), 0u);
    EXPECT_NE(encode(stream, 2), 0u);
}

TEST_F(SonavekInterfaceTest, ChunkIsAboutOneSecondAndVersionNamesTheEngine) {
    const HBE_STREAM stream = Open();
    EXPECT_EQ(chunkSamples, 2u * 44100u);
    EXPECT_GE(bufferSize, uint32_t(1.25 * 44100 + 7200));
    EXPECT_EQ(m_library.m_pBeCloseStream(stream), 0u);

    BE_VERSION version{};
    ASSERT_EQ(m_library.m_pBeVersion(&version), 0u);
    EXPECT_EQ(version.byMajorVersion, 3) << "LAME 3.x";
}

TEST(SonavekExportsTest, ExactlyTheFiveEntryPointsOverADynamicLame) {
    const QString library = QDir(SystemLibraryDirectory()).filePath(EncoderLibraryFileName());
    QByteArray symbols;
    ASSERT_TRUE(RunTool("nm", {"-D", "--defined-only", library}, &symbols));
    QStringList names;
    for (const QByteArray& line : symbols.split('\n'))
        if (!line.trimmed().isEmpty())
            names << QString::fromUtf8(line.split(' ').last());
    names.sort();
    EXPECT_EQ(names, QStringList({"beCloseStream", "beDeinitStream", "beEncodeChunk",
                                  "beInitStream", "beVersion"}));

    QByteArray dynamic;
    ASSERT_TRUE(RunTool("readelf", {"-d", library}, &dynamic));
    EXPECT_TRUE(dynamic.contains("[libmp3lame.so")) << "LAME must be linked dynamically";
}

} // namespace
