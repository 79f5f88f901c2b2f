// The frame-header walk that decides what counts as MP3.
#include "Mp3Probe.h"
#include "SoundTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Mp3ProbeResult ProbeBytes(const QByteArray& bytes) {
    return ProbeMp3Bytes(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
}

TEST(Mp3Probe, AcceptsLayerThreeBehindAnId3TagAndCountsEveryFrame) {
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("tone.mp3");
    ASSERT_TRUE(WriteToneMp3(mp3, ToneSpec{}));
    const QByteArray bytes = ReadAll(mp3);
    // An ID3v2 tag of 300 bytes whose body is full of frame syncs.
    const QByteArray tag = QByteArray("ID3\x03\x00\x00\x00\x00\x02\x22", 10) +
                           QByteArray("\xFF\xFB\x90\x64", 4).repeated(75);
    const QByteArray tagged = tag + bytes + QByteArray("TAG").leftJustified(128, ' ');
    for (const Mp3ProbeResult& result : {ProbeBytes(bytes), ProbeBytes(tagged)}) {
        EXPECT_TRUE(result.isMp3) << result.problem.toStdString();
        EXPECT_FALSE(result.cutShort);
        EXPECT_EQ(result.sampleRate, 44100);
        EXPECT_EQ(result.channels, 2);
        // The encoder's own tag frame is a frame too.
        EXPECT_EQ(result.frames, CountFramesWithFfprobe(mp3) + 1);
    }
}

TEST(Mp3Probe, AFormatChangeMidStreamIsAnError) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteToneMp3(dir.filePath("stereo.mp3"), ToneSpec{}));
    ASSERT_TRUE(WriteToneMp3(dir.filePath("mono.mp3"), {.channels = 1}));
    const QByteArray joined =
        ReadAll(dir.filePath("stereo.mp3")) + ReadAll(dir.filePath("mono.mp3"));
    EXPECT_TRUE(ProbeBytes(joined).formatChanged);
}

// The stated count lets the decoder skip its own walk, so it must be given
// only when every frame the walk found is accounted for.
TEST(Mp3Probe, GivesTheTagFrameCountOnlyWhenTheWalkConfirmsIt) {
    QTemporaryDir dir;
    for (const auto& [name, tone] :
         {std::pair{"stereo.mp3", ToneSpec{}}, std::pair{"mono.mp3", ToneSpec{22050, 1}}}) {
        SCOPED_TRACE(name);
        const QString mp3 = dir.filePath(name);
        ASSERT_TRUE(WriteToneMp3(mp3, tone));
        const QByteArray bytes = ReadAll(mp3);
        const Mp3ProbeResult whole = ProbeBytes(bytes);
        EXPECT_EQ(whole.taggedFrames, CountFramesWithFfprobe(mp3));

        const Mp3ProbeResult twice = ProbeBytes(bytes + bytes);
        EXPECT_TRUE(twice.isMp3);
        EXPECT_EQ(twice.frames, 2 * whole.frames);
        EXPECT_EQ(twice.taggedFrames, -1) << "the tag counts only the first copy";

        const Mp3ProbeResult cut = ProbeBytes(bytes.left(bytes.size() - 100));
        EXPECT_TRUE(cut.cutShort);
        EXPECT_EQ(cut.taggedFrames, -1);
    }
}

} // namespace
