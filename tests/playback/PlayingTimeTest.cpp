// The player's time display and the kind of a list file, as pure functions.
#include "PlayingTime.h"
#include "PlayList.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// One frame of 1152 samples at 44100 Hz, exactly.
constexpr double kExactUnit44k = 1152 * 1000.0 / 44100;

QString TimeText(long long position, double unitMs) {
    return PlayingTimeText(PlayingSeconds(position, unitMs));
}

TEST(PlayingTimeTest, TheDesignsExamplesWithAUnitOf26Ms) {
    EXPECT_EQ(TimeText(2300, 26), "Time: 00 : 59");
    EXPECT_EQ(TimeText(2308, 26), "Time: 01 : 00");
}

TEST(PlayingTimeTest, NumbersBelowTenShowTwoDigitsAndMinutesPast99Three) {
    EXPECT_EQ(PlayingTimeText(0), "Time: 00 : 00");
    EXPECT_EQ(PlayingTimeText(9), "Time: 00 : 09");
    EXPECT_EQ(PlayingTimeText(10), "Time: 00 : 10");
    EXPECT_EQ(PlayingTimeText(59), "Time: 00 : 59");
    EXPECT_EQ(PlayingTimeText(60), "Time: 01 : 00");
    EXPECT_EQ(PlayingTimeText(61), "Time: 01 : 01");
    EXPECT_EQ(PlayingTimeText(99 * 60 + 59), "Time: 99 : 59");
    EXPECT_EQ(PlayingTimeText(100 * 60 + 8), "Time: 100 : 08");
    EXPECT_EQ(PlayingTimeText(1000 * 60), "Time: 1000 : 00");
}

TEST(PlayingTimeTest, TheExactUnitOfA44kFileGivesTheRealTime) {
    // 2300 frames are 60.08 s; the unit cut to 26 ms would say 59 s.
    EXPECT_EQ(TimeText(2300, kExactUnit44k), "Time: 01 : 00");
    // A whole hour is 137812.5 frames: the cut unit would end it at 59:43.
    EXPECT_EQ(TimeText(137813, kExactUnit44k), "Time: 60 : 00");
    EXPECT_EQ(TimeText(137813, 26), "Time: 59 : 43");
    // The sound control hands its unit over as a float, as the design's interface does.
    EXPECT_EQ(TimeText(137813, float(kExactUnit44k)), "Time: 60 : 00");
    // Rounded toward zero: 1225 frames are 32 s exactly, one frame less is not.
    EXPECT_EQ(PlayingSeconds(1225, float(kExactUnit44k)), 32);
    EXPECT_EQ(PlayingSeconds(1224, float(kExactUnit44k)), 31);
    EXPECT_EQ(PlayingSeconds(38, float(kExactUnit44k)), 0);
    EXPECT_EQ(PlayingSeconds(39, float(kExactUnit44k)), 1);
}

TEST(PlayingTimeTest, LongFilesDoNotOverflowAndNothingIsNegative) {
    // 32-bit products would overflow past 23 hours at 26 ms.
    EXPECT_EQ(PlayingSeconds(INT_MAX, 26), 55834574LL);
    EXPECT_EQ(TimeText(230000, kExactUnit44k), "Time: 100 : 08");
    EXPECT_EQ(PlayingSeconds(-5, 26), 0);
    EXPECT_EQ(PlayingSeconds(100, 0), 0);
}

TEST(PlayListTest, TheKindComesFromTheLastFourCharactersIgnoringCase) {
    EXPECT_EQ(SoundFileKindOf("a.mp3"), SoundFileKind::Mp3);
    EXPECT_EQ(SoundFileKindOf("a.MP3"), SoundFileKind::Mp3);
    EXPECT_EQ(SoundFileKindOf("Song.Mp3"), SoundFileKind::Mp3);
    EXPECT_EQ(SoundFileKindOf("a.wav"), SoundFileKind::Wave);
    EXPECT_EQ(SoundFileKindOf("a.Wav"), SoundFileKind::Wave);
    EXPECT_EQ(SoundFileKindOf(".WAV"), SoundFileKind::Wave);
    EXPECT_EQ(SoundFileKindOf("a.wave"), SoundFileKind::Other);
    EXPECT_EQ(SoundFileKindOf("a.mp3 "), SoundFileKind::Other);
    EXPECT_EQ(SoundFileKindOf("mp3"), SoundFileKind::Other);
    EXPECT_EQ(SoundFileKindOf("a.ogg"), SoundFileKind::Other);
    EXPECT_EQ(SoundFileKindOf(""), SoundFileKind::Other);
}

} // namespace
