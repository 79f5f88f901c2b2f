// Streams that decode to exactly their input: the Info frame against the lame
// tool's own, and joined streams read by the independent mpg123, ffmpeg and
// ffprobe tools.
#include "SegmentedStream.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr int kOutputRate = 44100;
constexpr size_t kFrameSamples = 1152;

constexpr double kClickEvery = 0.004;

// Two chirps, which match themselves at one lag only, and in the last 20 ms a
// train of clicks that a cut end would lose.
double SignalAt(double t, double length, int channel) {
    const double twoPi = 2.0 * std::numbers::pi;
    const double chirps = 0.2 * std::sin(twoPi * (200.0 + 50.0 * channel + 150.0 * t) * t) +
                          0.1 * std::sin(twoPi * (1250.0 - 100.0 * t) * t);
    const double sinceClick = std::fmod(t, kClickEvery);
    return length - t > 0.02 ? chirps : 0.8 * std::exp(-std::pow(sinceClick, 2) / 2e-8);
}

// The output sample of the last click in an input of `length` seconds.
size_t LastClick(double length) {
    return size_t(std::lround(std::floor(length / kClickEvery) * kClickEvery * kOutputRate));
}

// The frames of an MP3 stream from `from` on, its first frame numbered 0.
FrameRun Frames(const QByteArray& mp3, qsizetype from = 0) {
    FrameRun run{0, {mp3.begin() + from, mp3.end()}, {}};
    EXPECT_TRUE(ParseFrames(run));
    return run;
}

std::vector<int16_t> Render(int rate, int channels, size_t frames) {
    std::vector<int16_t> samples;
    const double length = double(frames) / rate;
    for (size_t i = 0; i < frames; ++i)
        for (int channel = 0; channel < channels; ++channel)
            samples.push_back(
                int16_t(std::lround(32767.0 * SignalAt(double(i) / rate, length, channel))));
    return samples;
}

// The bytes a stream hands out, and the Info frame it hands out last.
struct Encoded {
    QByteArray stream, infoFrame;
    // As a caller writes it: the Info frame over the placeholder.
    QByteArray Finished() const { return infoFrame + stream.mid(infoFrame.size()); }
};

Encoded Encode(Mp3Stream& stream, const std::vector<int16_t>& samples) {
    std::vector<uint8_t> output(stream.OutputBytes());
    Encoded encoded;
    uint32_t written = 0;
    auto take = [&](QByteArray& to) {
        to.append(reinterpret_cast<const char*>(output.data()), written);
    };
    for (size_t done = 0; done < samples.size();) {
        const uint32_t count =
            uint32_t(std::min<size_t>(stream.ChunkSamples(), samples.size() - done));
        EXPECT_EQ(stream.Encode(samples.data() + done, count, output.data(), &written), 0u);
        take(encoded.stream);
        done += count;
    }
    EXPECT_EQ(stream.Flush(output.data(), &written), 0u);
    take(encoded.stream);
    EXPECT_EQ(stream.InfoTag(output.data(), &written), 0u);
    take(encoded.infoFrame);
    return encoded;
}

StreamFormat Format(int rate, MPEG_mode mode, int kbps) {
    return {rate, mode == MONO ? 1 : 2, mode, kbps};
}

QString Saved(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
}

// What a tool says beyond its own banner and progress: warnings and errors.
// ffmpeg may estimate the duration of a file without an Info frame.
bool Complains(const QByteArray& said) {
    return said.contains("arning") || said.contains("rror") || said.contains("Note:");
}

// Decodes with a tool that must not complain; channel 0 as read, or nothing.
std::vector<int16_t> Decoded(const QTemporaryDir& dir, const QString& mp3, bool ffmpeg) {
    const QString wave = dir.filePath("decoded.wav");
    const QStringList arguments =
        ffmpeg ? QStringList{"-v", "warning", "-y", "-i", mp3, "-c:a", "pcm_s16le", wave}
               : QStringList{"-w", wave, mp3};
    QByteArray said;
    EXPECT_TRUE(RunTool(ffmpeg ? "ffmpeg" : "mpg123", arguments, &said));
    EXPECT_FALSE(Complains(said)) << said.toStdString();
    bool ok = false;
    const DecodedAudio audio = ReadPcmWave(wave, &ok);
    EXPECT_TRUE(ok);
    std::vector<int16_t> channel0;
    for (size_t i = 0; i < audio.samples.size(); i += size_t(std::max(1, audio.channels)))
        channel0.push_back(audio.samples[i]);
    return channel0;
}

uint32_t Big(const QByteArray& bytes, qsizetype at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

// CRC-16 with the polynomial x^16 + x^15 + x^2 + 1, bit by bit from the
// polynomial, as the Info frame's readers check it.
uint16_t Crc16(const QByteArray& bytes) {
    uint16_t crc = 0;
    for (const char byte : bytes)
        for (int bit = 0; bit < 8; ++bit) {
            const bool top = ((crc ^ (uint8_t(byte) >> bit)) & 1) != 0;
            crc = uint16_t((crc >> 1) ^ (top ? 0xA001 : 0));
        }
    return crc;
}

// The Info frame read back, checked against the stream it opens: the frames
// and bytes that follow it, a seek table spread over them, and both CRCs.
void ExpectInfoFrameDescribes(const QByteArray& mp3, int mono) {
    const qsizetype xing = 4 + (mono ? 17 : 32);
    ASSERT_EQ(mp3.mid(xing, 4), "Info");
    const FrameRun run = Frames(mp3);
    ASSERT_GE(run.frames.size(), 2u);
    const FrameInfo& last = run.frames.back();
    EXPECT_EQ(last.offset + last.size, run.bytes.size()) << "bytes after the last frame";
    const uint32_t audioFrames = uint32_t(run.frames.size() - 1);
    EXPECT_EQ(Big(mp3, xing + 8, 4), audioFrames) << "the Info frame is not counted";
    EXPECT_EQ(Big(mp3, xing + 12, 4), uint32_t(mp3.size()));
    for (int i = 1; i < 100; ++i) {
        EXPECT_NEAR(uint8_t(mp3[xing + 16 + i]), 256.0 * i / 100, 256.0 / audioFrames + 1)
            << "seek entry " << i;
    }
    const qsizetype lame = xing + 120;
    EXPECT_EQ(mp3.mid(lame, 4), "LAME");
    EXPECT_EQ(Big(mp3, lame + 28, 4), uint32_t(mp3.size())) << "music length";
    EXPECT_EQ(Big(mp3, lame + 32, 2), Crc16(mp3.mid(run.frames[1].offset))) << "music CRC";
    EXPECT_EQ(Big(mp3, lame + 34, 2), Crc16(mp3.left(lame + 34))) << "the frame's own CRC";
}

// On one encoder the stream is the lame tool's file, Info frame and all, for a
// length that is no multiple of a frame.
TEST(GaplessStreamTest, OneEncoderWritesTheLameToolsFile) {
    const QTemporaryDir dir;
    const size_t frames = 100 * kFrameSamples + 333;
    for (const auto& [mode, letter] : {std::pair{STEREO, "s"}, {DUAL_CHANNEL, "d"}, {MONO, "m"}})
        for (const int kbps : {128, 320}) {
            SCOPED_TRACE(std::string(letter) + " " + std::to_string(kbps));
            const StreamFormat format = Format(kOutputRate, mode, kbps);
            const std::vector<int16_t> input = Render(kOutputRate, format.channels, frames);
            const QString wave = dir.filePath("in.wav");
            ASSERT_TRUE(WritePcmWave(wave, input, kOutputRate, format.channels));
            const QString lame = dir.filePath("lame.mp3");
            ASSERT_TRUE(RunTool("lame", {"--quiet", "-b", QString::number(kbps), "-m", letter, "-q",
                                         "3", "--noreplaygain", wave, lame}));
            const QByteArray theirs = ReadAll(lame);
            const QByteArray ours = Encode(*EncoderStream::Open(format), input).Finished();
            ASSERT_EQ(ours.size(), theirs.size());
            for (qsizetype i = 0; i < ours.size(); ++i)
                ASSERT_EQ(ours[i], theirs[i]) << "first difference at byte " << i;
        }
}

struct JoinedCase {
    int rate;
    MPEG_mode mode;
    int threads;
    int kbps = 128; // at 32 the Info frame is one of 64 kbit/s
};

// Joined streams decode to the length the lame tool's own encode does (the
// input's at 44100 Hz), aligned with the input, their last clicks kept.
TEST(GaplessStreamTest, JoinedStreamsDecodeToTheirInputsLength) {
    const QTemporaryDir dir;
    const JoinedCase cases[] = {
        {kOutputRate, STEREO, 2},          {22050, MONO, 2}, {48000, STEREO, 2},
        {kOutputRate, STEREO, 3},          {22050, MONO, 3}, {48000, STEREO, 3},
        {kOutputRate, DUAL_CHANNEL, 2, 32}};
    for (const JoinedCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.kbps) + " kbit/s on " +
                     std::to_string(c.threads) + " threads");
        const StreamFormat format = Format(c.rate, c.mode, c.kbps);
        const size_t inputFrames = size_t(c.rate) * 5 + 77;
        const std::vector<int16_t> input = Render(c.rate, format.channels, inputFrames);
        SegmentedStream stream(format, c.threads, AlignmentPeriod(c.rate), 0);
        const QByteArray mp3 = Encode(stream, input).Finished();
        ASSERT_GE(stream.Joins().size(), 2u);
        ASSERT_NO_FATAL_FAILURE(ExpectInfoFrameDescribes(mp3, c.mode == MONO));
        const QString ours = Saved(dir, "ours.mp3", mp3);

        size_t expected = inputFrames;
        if (c.rate != kOutputRate) {
            const QString wave = dir.filePath("in.wav");
            ASSERT_TRUE(WritePcmWave(wave, input, c.rate, format.channels));
            const QString lame = dir.filePath("lame.mp3");
            ASSERT_TRUE(
                RunTool("lame", {"--quiet", "-b", QString::number(c.kbps), "-m",
                                 c.mode == MONO ? "m" : "s", "--resample", "44.1", wave, lame}));
            expected = Decoded(dir, lame, false).size();
        }
        QByteArray probed;
        ASSERT_TRUE(RunTool("ffprobe", {"-hide_banner", ours}, &probed));
        EXPECT_FALSE(Complains(probed) || probed.contains("Estimating")) << probed.toStdString();

        std::vector<int16_t> reference;
        for (size_t i = 0; i < expected; ++i)
            reference.push_back(int16_t(
                32767.0 * SignalAt(double(i) / kOutputRate, double(inputFrames) / c.rate, 0)));
        for (const bool ffmpeg : {false, true}) {
            SCOPED_TRACE(ffmpeg ? "ffmpeg" : "mpg123");
            const std::vector<int16_t> decoded = Decoded(dir, ours, ffmpeg);
            ASSERT_EQ(decoded.size(), expected);
            EXPECT_EQ(BestLag(decoded, 1, reference, 1, expected / 2, 8192), 0u);
            const size_t click = LastClick(double(inputFrames) / c.rate);
            const auto peak = std::max_element(decoded.begin() + ptrdiff_t(click) - 20,
                                               decoded.begin() + ptrdiff_t(click) + 20);
            EXPECT_GT(*peak, 8000) << "the last clicks are gone";
        }
    }
}

// An empty input and one shorter than a frame decode to exactly their samples;
// a placeholder never filled in is skipped by decoders, not played as a frame.
TEST(GaplessStreamTest, ShortInputsAndAnUnfilledPlaceholder) {
    const QTemporaryDir dir;
    const StreamFormat format = Format(kOutputRate, STEREO, 128);
    for (const size_t frames : {size_t(0), size_t(500)}) {
        SCOPED_TRACE(frames);
        const QByteArray mp3 =
            Encode(*OpenStream(format, 2), Render(kOutputRate, 2, frames)).Finished();
        EXPECT_EQ(Decoded(dir, Saved(dir, "short.mp3", mp3), false).size(), frames);
    }
    const std::vector<int16_t> input = Render(kOutputRate, 2, 3 * kOutputRate);
    const Encoded unfilled = Encode(*OpenStream(format, 2), input);
    ASSERT_TRUE(unfilled.stream.startsWith("ID3"));
    const QString path = Saved(dir, "unfilled.mp3", unfilled.stream);
    const size_t audioFrames = Frames(unfilled.stream, unfilled.infoFrame.size()).frames.size();
    for (const bool ffmpeg : {false, true}) {
        SCOPED_TRACE(ffmpeg ? "ffmpeg" : "mpg123");
        EXPECT_EQ(Decoded(dir, path, ffmpeg).size(), audioFrames * kFrameSamples);
    }
}

} // namespace
