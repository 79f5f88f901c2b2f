// Real LAME through libsonavek.so loaded with dlopen; every MP3 is decoded by
// the independent ffmpeg tool.
#include "EncodeHelpers.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>

namespace {

constexpr int kOutputRate = 44100;
constexpr int kFrameSamples = 1152;

class SonavekTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_library.Load()) << "libsonavek.so not built"; }

    DecodedAudio Decode(const QByteArray& mp3) {
        const QString path = m_dir.filePath(QStringLiteral("out.mp3"));
        EXPECT_TRUE(WriteBytes(path, mp3));
        bool ok = false;
        DecodedAudio audio = DecodeWithFfmpeg(path, &ok);
        EXPECT_TRUE(ok) << "ffmpeg could not decode our output";
        return audio;
    }

    CEncoderLibrary m_library;
    QTemporaryDir m_dir;
};

// The decoded tone, channel by channel, and the duration at 44100 Hz.
void ExpectTone(const DecodedAudio& audio, const std::vector<double>& frequencies,
                qint64 inputFrames, int inputRate) {
    ASSERT_EQ(audio.sampleRate, kOutputRate);
    ASSERT_EQ(audio.channels, int(frequencies.size()));
    const qint64 expectedFrames = inputFrames * kOutputRate / inputRate;
    EXPECT_NEAR(double(audio.frames()), double(expectedFrames), kFrameSamples);
    for (int channel = 0; channel < audio.channels; ++channel)
        EXPECT_NEAR(DominantFrequency(Middle(audio), channel), frequencies[channel],
                    0.03 * frequencies[channel])
            << "channel " << channel;
}

struct ToneCase {
    uint32_t rate;
    uint8_t mode;
    uint16_t kbps = 0;
};

void PrintTo(const ToneCase& c, std::ostream* os) {
    *os << c.rate << " Hz, mode " << int(c.mode) << ", " << c.kbps << " kbit/s";
}

class SonavekToneTest : public SonavekTest, public ::testing::WithParamInterface<ToneCase> {};

std::vector<ToneCase> ToneGrid() {
    std::vector<ToneCase> grid;
    for (ToneCase format : {ToneCase{44100, BE_MP3_MODE_STEREO},
                            {22050, BE_MP3_MODE_MONO},
                            {48000, BE_MP3_MODE_STEREO},
                            {48000, BE_MP3_MODE_DUALCHANNEL},
                            {48000, BE_MP3_MODE_MONO}})
        for (uint16_t kbps : {32, 128, 320})
            grid.push_back({format.rate, format.mode, kbps});
    // The lowest and highest input rates the library accepts.
    grid.push_back({1000, BE_MP3_MODE_MONO, 128});
    grid.push_back({384000, BE_MP3_MODE_STEREO, 128});
    return grid;
}

TEST_P(SonavekToneTest, DecodesToTheSameToneAndLength) {
    const ToneCase c = GetParam();
    const std::vector<double> frequencies =
        c.mode == BE_MP3_MODE_MONO ? std::vector<double>{440.0} : std::vector<double>{440.0, 660.0};
    const std::vector<int16_t> samples = ToneSamples(int(c.rate), 1.0, frequencies);

    const EncodeResult encoded =
        EncodeSamples(m_library, MakeConfig(c.rate, c.mode, c.kbps), samples);
    ASSERT_EQ(encoded.error, BE_ERR_SUCCESSFUL);

    bool ok = false;
    const std::vector<Mp3Frame> frames = Mp3Frames(encoded.mp3, &ok);
    ASSERT_TRUE(ok) << "not a clean run of MPEG-1 Layer III frames";
    const int expectedModeBits = c.mode == BE_MP3_MODE_MONO ? 3 : c.mode;
    for (const Mp3Frame& frame : frames) {
        ASSERT_EQ(frame.sampleRate, kOutputRate);
        ASSERT_EQ(frame.kbps, c.kbps);
        ASSERT_EQ(frame.mode, expectedModeBits);
    }
    ExpectTone(Decode(encoded.mp3), frequencies, qint64(samples.size() / frequencies.size()),
               int(c.rate));
}

INSTANTIATE_TEST_SUITE_P(Formats, SonavekToneTest, ::testing::ValuesIn(ToneGrid()));

TEST_F(SonavekTest, EmptyInputGivesValidPossiblyEmptyOutput) {
    const EncodeResult encoded = EncodeSamples(m_library, MakeConfig(44100, 0, 128), {});
    ASSERT_EQ(encoded.error, BE_ERR_SUCCESSFUL);
    bool ok = false;
    Mp3Frames(encoded.mp3, &ok);
    EXPECT_TRUE(ok);
}

// Odd chunks split stereo frames; the channels must stay in step, so the
// left tone stays left and the right one right.
TEST_F(SonavekTest, OddChunksKeepTheChannelsInStep) {
    const std::vector<double> frequencies = {440.0, 1000.0};
    std::vector<int16_t> samples = ToneSamples(44100, 1.0, frequencies);
    samples.push_back(0); // a last chunk with an odd count, as an odd-sized file gives
    const EncodeResult encoded =
        EncodeSamples(m_library, MakeConfig(44100, 0, 128), samples, {1001, 4097, 3});
    ASSERT_EQ(encoded.error, BE_ERR_SUCCESSFUL);
    ExpectTone(Decode(encoded.mp3), frequencies, qint64(samples.size() / 2), 44100);
}

EncodeResult WaitBounded(std::future<EncodeResult>& future) {
    if (future.wait_for(std::chrono::seconds(120)) != std::future_status::ready) {
        ADD_FAILURE() << "encoding thread hangs";
        std::abort();
    }
    return future.get();
}

TEST_F(SonavekTest, TwoThreadsEncodeAtOnce) {
    const std::vector<int16_t> stereo = ToneSamples(44100, 2.0, {440.0, 660.0});
    const std::vector<int16_t> mono = ToneSamples(48000, 2.0, {1000.0});
    auto encode = [this](BE_CONFIG config, const std::vector<int16_t>* samples) {
        return EncodeSamples(m_library, config, *samples, {4410});
    };
    std::future<EncodeResult> first =
        std::async(std::launch::async, encode, MakeConfig(44100, 0, 192), &stereo);
    std::future<EncodeResult> second =
        std::async(std::launch::async, encode, MakeConfig(48000, 3, 64), &mono);
    const EncodeResult firstResult = WaitBounded(first), secondResult = WaitBounded(second);
    ASSERT_EQ(firstResult.error, BE_ERR_SUCCESSFUL);
    ASSERT_EQ(secondResult.error, BE_ERR_SUCCESSFUL);
    ExpectTone(Decode(firstResult.mp3), {440.0, 660.0}, qint64(stereo.size() / 2), 44100);
    ExpectTone(Decode(secondResult.mp3), {1000.0}, qint64(mono.size()), 48000);
}

} // namespace
