// The wave player for list files: what it accepts, and that it really plays.
#include "WavePlayer.h"
#include "SoundTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WavePlayerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void TearDown() override { StopWavePlaying(); }

    QString MakeWave(const QString& name, SampleFormat format, double seconds = 1.0) {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(WriteToneWave(path, {.seconds = seconds, .format = format}));
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(WavePlayerTest, PlaysAToneAndStops) {
    const QString wave = MakeWave("tone.wav", SampleFormat::S16, 3.0);
    ASSERT_TRUE(PlayWaveFile(wave));
    EXPECT_TRUE(QTest::qWaitFor([] { return IsWavePlaying(); }, 3000));
    StopWavePlaying();
    EXPECT_FALSE(IsWavePlaying());
}

TEST_F(WavePlayerTest, AShortSoundEndsByItselfAndANewOneReplacesTheOld) {
    const QString shortWave = MakeWave("short.wav", SampleFormat::U8, 0.3);
    const QString longWave = MakeWave("long.wav", SampleFormat::S16, 3.0);
    ASSERT_TRUE(PlayWaveFile(longWave));
    ASSERT_TRUE(PlayWaveFile(shortWave));
    EXPECT_TRUE(QTest::qWaitFor([] { return !IsWavePlaying(); }, 5000))
        << "the short sound never ended";
}

TEST_F(WavePlayerTest, RefusesWhatIsNotRiffPcm) {
    WriteBytes(m_dir.filePath("text.wav"), "not a wave file at all, only words\n");
    WriteBytes(m_dir.filePath("empty.wav"), {});
    const QString mp3 = m_dir.filePath("tone.mp3");
    ASSERT_TRUE(WriteToneMp3(mp3, ToneSpec{}));
    MakeWave("float.wav", SampleFormat::F32);
    MakeWave("s24.wav", SampleFormat::S24);
    WriteBytes(m_dir.filePath("nodata.wav"),
               ReadAll(MakeWave("nodata.wav", SampleFormat::S16)).left(36));
    for (const QString name :
         {"text.wav", "empty.wav", "tone.mp3", "float.wav", "s24.wav", "nodata.wav", "none.wav"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(PlayWaveFile(m_dir.filePath(name)));
        EXPECT_FALSE(IsWavePlaying());
    }
}

TEST_F(WavePlayerTest, SkipsUnknownChunksWithPaddingAndCutsDataToTheFile) {
    const QByteArray plain = ReadAll(MakeWave("plain.wav", SampleFormat::S16));
    // An odd-sized chunk (padded to even) between fmt and data.
    const QByteArray extra = QByteArray("LIST") + Le32(3) + "abc" + '\0';
    QByteArray padded = plain.left(36) + extra + plain.mid(36);
    padded.replace(4, 4, Le32(quint32(padded.size() - 8)));
    ASSERT_TRUE(WriteBytes(m_dir.filePath("padded.wav"), padded));
    const auto layout = ReadWaveLayout(m_dir.filePath("padded.wav"));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->dataOffset, 44 + extra.size());
    EXPECT_EQ(layout->dataBytes, plain.size() - 44);
    EXPECT_EQ(layout->format.sampleRate(), 44100);
    EXPECT_EQ(layout->format.channelCount(), 2);

    // A data chunk that claims more than the file holds, cut mid-frame.
    QByteArray claimsMore = plain.left(plain.size() - 3);
    claimsMore.replace(40, 4, Le32(0x7FFFFFF0));
    ASSERT_TRUE(WriteBytes(m_dir.filePath("short.wav"), claimsMore));
    const auto cut = ReadWaveLayout(m_dir.filePath("short.wav"));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->dataBytes, (plain.size() - 44 - 3) / 4 * 4);
    EXPECT_TRUE(PlayWaveFile(m_dir.filePath("short.wav")));
}

} // namespace
