// The wave player for list files: it really plays, stops, and replaces one
// sound with the next.
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

TEST_F(WavePlayerTest, PlaysStopsAndANewSoundReplacesTheOldAndEndsByItself) {
    const QString shortWave = MakeWave("short.wav", SampleFormat::U8, 0.3);
    const QString longWave = MakeWave("long.wav", SampleFormat::S16, 3.0);
    ASSERT_TRUE(PlayWaveFile(longWave));
    EXPECT_TRUE(QTest::qWaitFor([] { return IsWavePlaying(); }, 3000));
    StopWavePlaying();
    EXPECT_FALSE(IsWavePlaying());

    ASSERT_TRUE(PlayWaveFile(longWave));
    ASSERT_TRUE(PlayWaveFile(shortWave));
    EXPECT_TRUE(QTest::qWaitFor([] { return !IsWavePlaying(); }, 5000))
        << "the short sound never ended";
}

} // namespace
