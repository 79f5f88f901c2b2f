// Reading the layout of wave files: the chunk walk, and malformed or foreign
// files refused without a crash or an endless loop.
#include "WaveFile.h"
#include "SoundTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Chunk(const char* id, const QByteArray& body, quint32 declared = 0xFFFFFFFE) {
    QByteArray chunk = QByteArray(id, 4) + Le32(declared == 0xFFFFFFFE ? body.size() : declared);
    chunk += body;
    if (body.size() % 2 && declared == 0xFFFFFFFE)
        chunk += '\0';
    return chunk;
}

QByteArray FmtBody(quint16 tag, quint16 channels, quint32 rate, quint16 bits, int blockAlign = -1) {
    const quint16 align = quint16(blockAlign < 0 ? channels * bits / 8 : blockAlign);
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}

// The extensible form: cbSize 22, valid bits, channel mask, sub-format GUID.
QByteArray ExtensibleFmtBody(quint16 subTag, quint16 channels, quint32 rate, quint16 bits) {
    static const char kTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
    return FmtBody(WAVE_FORMAT_EXTENSIBLE, channels, rate, bits) + Le16(22) + Le16(bits) + Le32(3) +
           Le16(subTag) + QByteArray(kTail, 14);
}

QByteArray Riff(const QByteArray& chunks) {
    return "RIFF" + Le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

class WaveFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::optional<WaveFormat> Read(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QString("f%1.wav").arg(m_count++));
        EXPECT_TRUE(WriteBytes(path, bytes));
        return ReadWaveFormat(path);
    }

    QTemporaryDir m_dir;
    int m_count = 0;
};

TEST_F(WaveFileTest, FindsTheSamplesPastExtensibleFormsPaddedChunksAndShortData) {
    const QByteArray samples(4 * 100, '\1');
    const auto pcm = Read(Riff(Chunk("fmt ", ExtensibleFmtBody(WAVE_FORMAT_PCM, 2, 48000, 16)) +
                               Chunk("LIST", "abc") + Chunk("data", samples)));
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->formatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(pcm->sampleRate, 48000);
    EXPECT_EQ(pcm->dataOffset, 12 + 8 + 40 + 8 + 4 + 8); // "abc" padded to 4
    EXPECT_EQ(pcm->dataBytes, samples.size());

    const auto floats =
        Read(Riff(Chunk("fmt ", ExtensibleFmtBody(WAVE_FORMAT_IEEE_FLOAT, 1, 44100, 32)) +
                  Chunk("data", QByteArray(40, '\0'))));
    ASSERT_TRUE(floats);
    EXPECT_EQ(floats->formatTag, WAVE_FORMAT_IEEE_FLOAT);

    QByteArray foreignGuid = ExtensibleFmtBody(WAVE_FORMAT_PCM, 2, 44100, 16);
    foreignGuid[30] = 'x';
    EXPECT_FALSE(Read(Riff(Chunk("fmt ", foreignGuid) + Chunk("data", samples))));
    EXPECT_FALSE(
        Read(Riff(Chunk("fmt ", ExtensibleFmtBody(WAVE_FORMAT_PCM, 2, 44100, 16).left(24)) +
                  Chunk("data", samples))))
        << "an extensible chunk too short for its GUID";

    // Data that claims more than the file holds is cut to whole frames.
    const QByteArray fmt = Chunk("fmt ", FmtBody(WAVE_FORMAT_PCM, 2, 44100, 16));
    const QByteArray cut(4 * 1000 + 3, '\2'); // ends mid-frame
    for (quint32 declared : {0xFFFFFFFFu, 0x7FFFFFF0u, quint32(cut.size() + 400)}) {
        SCOPED_TRACE(declared);
        const auto format = Read(Riff(fmt + Chunk("data", cut, declared)));
        ASSERT_TRUE(format);
        EXPECT_EQ(format->dataBytes, 4000);
    }
    const auto empty = Read(Riff(fmt + Chunk("data", {})));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->dataBytes, 0);
}

TEST_F(WaveFileTest, RefusesMalformedAndForeignFiles) {
    const QByteArray samples(400, '\3');
    const QByteArray goodFmt = Chunk("fmt ", FmtBody(WAVE_FORMAT_PCM, 2, 44100, 16));
    // A file of `fmtBody` and the samples.
    const auto with = [&](const QByteArray& fmtBody) {
        return Riff(Chunk("fmt ", fmtBody) + Chunk("data", samples));
    };
    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", {}},
        {"RIFF but not WAVE", "RIFF" + Le32(100) + "AVI " + goodFmt + Chunk("data", samples)},
        {"no fmt", Riff(Chunk("data", samples))},
        {"data before fmt", Riff(Chunk("data", samples) + goodFmt)},
        {"no data", Riff(goodFmt + Chunk("LIST", "abcd"))},
        {"fmt shorter than 16", with(FmtBody(1, 2, 44100, 16).left(14))},
        {"zero channels", with(FmtBody(1, 0, 44100, 16, 4))},
        {"zero rate", with(FmtBody(1, 2, 0, 16))},
        {"block align off", with(FmtBody(1, 2, 44100, 16, 3))},
        {"64-bit float", with(FmtBody(3, 1, 44100, 64))},
        {"ADPCM", with(FmtBody(2, 2, 44100, 4, 2048))},
        {"nine channels", with(FmtBody(1, 9, 44100, 16))},
        {"fmt claims 4 GiB",
         Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16), 0xFFFFFFF0u) + Chunk("data", samples))},
        {"unknown chunk claims 4 GiB",
         Riff(goodFmt + Chunk("junk", "x", 0xFFFFFFFFu) + Chunk("data", samples))},
    };
    for (const auto& [what, bytes] : cases)
        EXPECT_FALSE(Read(bytes)) << what;
    EXPECT_FALSE(ReadWaveFormat(m_dir.filePath("missing.wav")));
    EXPECT_FALSE(ReadWaveFormat(m_dir.path())) << "a folder";
}

} // namespace
