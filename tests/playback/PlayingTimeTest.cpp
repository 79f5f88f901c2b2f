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

TEST(PlayingTimeTest, NumbersBelowTenShowTwoDigitsAndMinutesPast99Three) {
    const std::pair<int, const char*> cases[] = {{0, "00 : 00"},
                                                 {9, "00 : 09"},
                                                 {10, "00 : 10"},
                                                 {59, "00 : 59"},
                                                 {60, "01 : 00"},
                                                 {61, "01 : 01"},
                                                 {99 * 60 + 59, "99 : 59"},
                                                 {100 * 60 + 8, "100 : 08"},
                                                 {1000 * 60, "1000 : 00"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(PlayingTimeText(seconds), QString("Time: ") + text) << seconds;
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

TEST(PlayListTest, TheKindComesFromTheLastFourCharactersIgnoringCase) {
    for (const char* name : {"a.mp3", "a.MP3", "Song.Mp3"})
        EXPECT_EQ(SoundFileKindOf(name), SoundFileKind::Mp3) << name;
    for (const char* name : {"a.wav", "a.Wav", ".WAV"})
        EXPECT_EQ(SoundFileKindOf(name), SoundFileKind::Wave) << name;
    for (const char* name : {"a.wave", "a.mp3 ", "mp3", "a.ogg", ""})
        EXPECT_EQ(SoundFileKindOf(name), SoundFileKind::Other) << name;
}

} // namespace
