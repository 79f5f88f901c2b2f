// Playing MP3 files with the sound control on the test PulseAudio server, and
// on the silent clock where no output device exists.
#include "AudioOutput.h"
#include "SoundControl.h"
#include "SoundTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SoundPlayTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        AudioOutputSeam::SetNoDevice(GetParam());
    }
    void TearDown() override { AudioOutputSeam::SetNoDevice(false); }

    QString MakeMp3(double seconds) {
        const QString path = m_dir.filePath(QString("tone%1.mp3").arg(seconds));
        EXPECT_TRUE(WriteToneMp3(path, {.seconds = seconds})) << "lame failed";
        return path;
    }
    // Plays a 2 s tone until it has reached `position`.
    void PlayUntil(SoundControl& control, const EventLog& log, int position) {
        ASSERT_EQ(control.Open(MakeMp3(2.0), ""), SOUND_OK);
        control.Run();
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.Last() >= position; }, 5000));
    }

    QTemporaryDir m_dir;
};

TEST_P(SoundPlayTest, PlaysInRealTimeToTheEnd) {
    LoggedControl logged;
    auto& [control, log] = logged;
    ASSERT_EQ(control.Open(MakeMp3(1.0), ""), SOUND_OK);
    QElapsedTimer clock;
    clock.start();
    control.Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.Ended(); }, 10000)) << "playing never finished";
    EXPECT_GE(clock.elapsed(), 800) << "progress must follow what is heard, not decoded";
    QCoreApplication::processEvents();
    EXPECT_EQ(log.finished, 1);
    EXPECT_EQ(log.order.last(), "finished");
    EXPECT_EQ(log.Last(), control.GetLength());
    EXPECT_TRUE(std::is_sorted(log.progress.begin(), log.progress.end()));
    EXPECT_GE(log.progress.size(), 3u);
    EXPECT_FALSE(log.offThread);
}

// While one control is paused, a second one plays a whole second: the first
// must not have moved on meanwhile.
TEST_P(SoundPlayTest, PauseHoldsThePositionAndRunResumesFromIt) {
    LoggedControl logged, other;
    auto& [control, log] = logged;
    ASSERT_NO_FATAL_FAILURE(PlayUntil(control, log, 10));
    control.Pause();
    const int paused = log.Last();
    ASSERT_EQ(other.control.Open(MakeMp3(1.0), ""), SOUND_OK);
    other.control.Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.log.Ended(); }, 10000));
    EXPECT_EQ(log.Last(), paused) << "time went on while paused";
    EXPECT_EQ(log.finished, 0);
    const size_t eventsBefore = log.progress.size();
    control.Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.Ended(); }, 10000));
    ASSERT_GT(log.progress.size(), eventsBefore);
    EXPECT_GE(log.progress[eventsBefore], paused) << "resumed from the start";
    EXPECT_LE(log.progress[eventsBefore], paused + 15) << "the pause was counted as played";
    EXPECT_EQ(log.finished, 1);
}

INSTANTIATE_TEST_SUITE_P(Output, SoundPlayTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "SilentClock" : "AudioSink";
                         });

} // namespace
