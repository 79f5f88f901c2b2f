// The player's time display, as pure functions.
#include "PlayingTime.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// One frame of 1152 samples at 44100 Hz, exactly.
constexpr double kExactUnit44k = 1152 * 1000.0 / 44100;

QString TimeText(long long position, double unitMs) {
    return PlayingTimeText(PlayingSeconds(position, unitMs));
}

TEST(PlayingTimeTest, FramesTimesTheUnitRoundedTowardZero) {
    EXPECT_EQ(TimeText(2300, 26), "Time: 00 : 59");
    EXPECT_EQ(TimeText(2308, 26), "Time: 01 : 00");
    // 2300 frames are 60.08 s; the unit cut to 26 ms would say 59 s.
    EXPECT_EQ(TimeText(2300, kExactUnit44k), "Time: 01 : 00");
    // A whole hour is 137812.5 frames: the cut unit would end it at 59:43.
    EXPECT_EQ(TimeText(137813, kExactUnit44k), "Time: 60 : 00");
    EXPECT_EQ(TimeText(137813, 26), "Time: 59 : 43");
    // The sound control hands its unit over as a float.
    EXPECT_EQ(TimeText(137813, float(kExactUnit44k)), "Time: 60 : 00");
    // 1225 frames are 32 s exactly, one frame less is not.
    const std::pair<int, int> seconds[] = {{1225, 32}, {1224, 31}, {38, 0}, {39, 1}};
    for (const auto& [frames, whole] : seconds)
        EXPECT_EQ(PlayingSeconds(frames, float(kExactUnit44k)), whole) << frames;
    // 32-bit products would overflow past 23 hours at 26 ms.
    EXPECT_EQ(PlayingSeconds(INT_MAX, 26), 55834574LL);
    EXPECT_EQ(TimeText(230000, kExactUnit44k), "Time: 100 : 08");
    EXPECT_EQ(PlayingSeconds(-5, 26), 0);
    EXPECT_EQ(PlayingSeconds(100, 0), 0);
}

// 1.98 s of music takes 77 frames (2.01 s): the clock stops at the music's end.
TEST(PlayingTimeTest, NeverPastTheMusic) {
    EXPECT_EQ(PlayingSeconds(77, kExactUnit44k, 1980.0), 1);
    EXPECT_EQ(PlayingSeconds(76, kExactUnit44k, 1980.0), 1);
    EXPECT_EQ(PlayingSeconds(77, kExactUnit44k, 2100.0), 2);
    EXPECT_EQ(PlayingSeconds(77, kExactUnit44k, 0.0), 0);
}

} // namespace
