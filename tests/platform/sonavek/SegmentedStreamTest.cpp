// The stream on several threads against one encoder over the same input: real
// LAME on both sides, decoded by the independent mpg123 tool.
#include "SegmentedStream.h"
#include "Sonavek.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <numbers>
#include <random>

namespace {

constexpr int kOutputRate = 44100;
constexpr size_t kFrameSamples = 1152;
constexpr int kThreads = 2;

enum class Signal { Tone, Chirp, Impulses, Noise, SilenceThenBurst };

// Band-limited noise: many random partials, defined at any sample rate.
struct Partials {
    std::vector<double> frequency, phase;
    Partials() {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 96; ++i) {
            frequency.push_back(60.0 + 9000.0 * unit(random));
            phase.push_back(2.0 * std::numbers::pi * unit(random));
        }
    }
    double At(double t) const {
        double sum = 0.0;
        for (size_t i = 0; i < frequency.size(); ++i)
            sum += std::sin(2.0 * std::numbers::pi * frequency[i] * t + phase[i]);
        return sum / std::sqrt(double(frequency.size()));
    }
};

// The signal's value at time t; `burst` is when SilenceThenBurst starts.
double SignalAt(Signal signal, double t, int channel, double burst) {
    static const Partials partials;
    const double twoPi = 2.0 * std::numbers::pi;
    switch (signal) {
    case Signal::Tone:
        return 0.5 * std::sin(twoPi * (440.0 + 220.0 * channel) * t);
    case Signal::Chirp:
        return 0.5 * std::sin(twoPi * (100.0 * t + 900.0 * t * t));
    case Signal::Impulses: {
        const double sinceClick = std::fmod(t, 0.0937);
        return 0.8 * std::exp(-std::pow(sinceClick - 0.001, 2) / 2e-8);
    }
    case Signal::Noise:
        return 0.25 * partials.At(t + channel);
    case Signal::SilenceThenBurst:
        return t < burst ? 0.0 : 0.3 * partials.At(t);
    }
    return 0.0;
}

std::vector<int16_t> Render(Signal signal, int rate, int channels, double seconds, double burst) {
    std::vector<int16_t> samples;
    const size_t frames = size_t(seconds * rate);
    for (size_t i = 0; i < frames; ++i)
        for (int channel = 0; channel < channels; ++channel)
            samples.push_back(
                int16_t(std::lround(32767.0 * SignalAt(signal, double(i) / rate, channel, burst))));
    return samples;
}

// All of `samples` in chunks; without `flush`, as a stopped batch leaves it.
std::vector<uint8_t> EncodeAll(Mp3Stream& stream, const std::vector<int16_t>& samples,
                               bool flush = true) {
    std::vector<uint8_t> mp3;
    std::vector<uint8_t> output(stream.OutputBytes());
    uint32_t written = 0;
    for (size_t done = 0; done < samples.size();) {
        const uint32_t count =
            uint32_t(std::min<size_t>(stream.ChunkSamples(), samples.size() - done));
        EXPECT_EQ(stream.Encode(samples.data() + done, count, output.data(), &written),
                  BE_ERR_SUCCESSFUL);
        mp3.insert(mp3.end(), output.begin(), output.begin() + written);
        done += count;
    }
    if (flush) {
        EXPECT_EQ(stream.Flush(output.data(), &written), BE_ERR_SUCCESSFUL);
        mp3.insert(mp3.end(), output.begin(), output.begin() + written);
    }
    return mp3;
}

StreamFormat Format(int rate, uint8_t mode, int kbps) {
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = uint32_t(rate);
    config.byMode = mode;
    config.wBitrate = uint16_t(kbps);
    return *FormatFromConfig(config);
}

std::vector<uint8_t> EncodeOnOneEncoder(const StreamFormat& format,
                                        const std::vector<int16_t>& samples) {
    return EncodeAll(*EncoderStream::Open(format), samples);
}

FrameRun Parsed(std::vector<uint8_t> bytes) {
    FrameRun run;
    run.bytes = std::move(bytes);
    EXPECT_TRUE(ParseFrames(run));
    return run;
}

// The decoded samples of channel 0 from mpg123.
std::vector<double> Channel0ByMpg123(const QTemporaryDir& dir, const std::vector<uint8_t>& mp3) {
    const QString path = dir.filePath(QStringLiteral("joined.mp3"));
    EXPECT_TRUE(WriteBytes(
        path, QByteArray(reinterpret_cast<const char*>(mp3.data()), qsizetype(mp3.size()))));
    bool ok = false;
    const DecodedAudio audio = DecodeWithMpg123(path, &ok);
    EXPECT_TRUE(ok) << "mpg123 could not decode";
    std::vector<double> channel0;
    for (size_t i = 0; i < audio.samples.size(); i += size_t(std::max(1, audio.channels)))
        channel0.push_back(audio.samples[i] / 32768.0);
    return channel0;
}

// SNR in dB of the 4 frames around a join, or nothing over silence.
std::optional<double> JoinSnr(const std::vector<double>& decoded,
                              const std::vector<double>& reference, size_t delay, uint64_t join) {
    double signal = 0.0, noise = 0.0;
    for (size_t i = (join - 2) * kFrameSamples; i < (join + 2) * kFrameSamples; ++i) {
        const double wanted = i >= delay && i - delay < reference.size() ? reference[i - delay] : 0;
        const double got = i < decoded.size() ? decoded[i] : 0.0;
        signal += wanted * wanted;
        noise += (got - wanted) * (got - wanted);
    }
    if (signal < 1e-3)
        return std::nullopt;
    return 10.0 * std::log10(signal / std::max(noise, 1e-12));
}

struct JoinCase {
    Signal signal;
    int rate;
    uint8_t mode;
    int kbps;
    // Longer segments, some held back, leave a tail that the flush shares
    // between the threads.
    uint64_t segmentPeriods = 1;
    size_t held = 0;
    double seconds = 4.5;
};

void PrintTo(const JoinCase& c, std::ostream* os) {
    *os << "signal " << int(c.signal) << ", " << c.rate << " Hz, mode " << int(c.mode) << ", "
        << c.kbps << " kbit/s, segments of " << c.segmentPeriods << " periods, " << c.held
        << " held, " << c.seconds << " s";
}

using JoinTest = ::testing::TestWithParam<JoinCase>;

// Every signal, mode and bit rate, the resampled and the extreme input rates,
// and segments held back; not their full cross product.
std::vector<JoinCase> JoinGrid() {
    const uint8_t stereo = BE_MP3_MODE_STEREO, dual = BE_MP3_MODE_DUALCHANNEL,
                  mono = BE_MP3_MODE_MONO;
    return {
        {Signal::Tone, kOutputRate, stereo, 128},
        {Signal::Tone, kOutputRate, mono, 320},
        {Signal::Chirp, kOutputRate, dual, 32},
        {Signal::Chirp, kOutputRate, mono, 128},
        {Signal::Impulses, kOutputRate, stereo, 320},
        {Signal::Impulses, kOutputRate, dual, 128},
        {Signal::Noise, kOutputRate, stereo, 32},
        {Signal::Noise, kOutputRate, mono, 32},
        {Signal::SilenceThenBurst, kOutputRate, dual, 320},
        {Signal::SilenceThenBurst, kOutputRate, stereo, 128},
        {Signal::Chirp, 22050, stereo, 128},
        {Signal::Noise, 22050, mono, 128},
        {Signal::Chirp, 48000, mono, 128},
        {Signal::Noise, 48000, dual, 128},
        {Signal::Tone, 1000, mono, 128},
        {Signal::Noise, 384000, stereo, 128},
        {Signal::Chirp, kOutputRate, stereo, 128, 2, 1, 10.5},
        {Signal::Chirp, kOutputRate, mono, 128, 2, 1, 10.5},
        {Signal::Noise, 48000, dual, 320, 2, 1, 10.5},
    };
}

// Short segments, so that a few seconds hold several joins.
TEST_P(JoinTest, JoinedStreamMatchesOneEncoderInFramesAndQuality) {
    const JoinCase c = GetParam();
    const StreamFormat format = Format(c.rate, c.mode, c.kbps);
    const uint64_t segmentFrames = c.segmentPeriods * AlignmentPeriod(c.rate);
    const double burst = double((segmentFrames + kPrimingFrames) * kFrameSamples) / kOutputRate;
    const std::vector<int16_t> input = Render(c.signal, c.rate, format.channels, c.seconds, burst);

    SegmentedStream parallel(format, kThreads, segmentFrames, c.held);
    const FrameRun joined = Parsed(EncodeAll(parallel, input));
    const FrameRun single = Parsed(EncodeOnOneEncoder(format, input));
    const std::vector<uint64_t> joins = parallel.Joins();
    ASSERT_GE(joins.size(), 2u);

    ASSERT_EQ(joined.frames.size(), single.frames.size());
    ASSERT_EQ(joined.bytes.size(), single.bytes.size());
    for (size_t i = 0; i < joined.frames.size(); ++i)
        ASSERT_EQ(0, std::memcmp(&joined.bytes[joined.frames[i].offset],
                                 &single.bytes[single.frames[i].offset], 4))
            << "header of frame " << i;

    std::vector<double> reference;
    for (size_t i = 0; i < size_t(c.seconds * kOutputRate); ++i)
        reference.push_back(SignalAt(c.signal, double(i) / kOutputRate, 0, burst));
    const QTemporaryDir dir;
    const std::vector<double> joinedAudio = Channel0ByMpg123(dir, joined.bytes);
    const std::vector<double> singleAudio = Channel0ByMpg123(dir, single.bytes);
    ASSERT_EQ(joinedAudio.size(), single.frames.size() * kFrameSamples);
    ASSERT_EQ(joinedAudio.size(), singleAudio.size());
    const size_t delay = BestLag(singleAudio, 1, reference, 1, reference.size() / 3, 8192);
    for (uint64_t join : joins) {
        const std::optional<double> ours = JoinSnr(joinedAudio, reference, delay, join);
        const std::optional<double> theirs = JoinSnr(singleAudio, reference, delay, join);
        if (ours && theirs) {
            EXPECT_GE(*ours, *theirs - 1.0) << "join at frame " << join;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, JoinTest, ::testing::ValuesIn(JoinGrid()));

size_t ThreadsOfThisProcess() {
    return size_t(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Closing without a flush, as a stopped batch does, ends the stream's threads
// at once, with segments still queued and encoding.
TEST(SegmentedStreamTest, ClosingEarlyEndsItsThreads) {
    const StreamFormat format = Format(kOutputRate, BE_MP3_MODE_STEREO, 320);
    const std::vector<int16_t> input = Render(Signal::Noise, kOutputRate, 2, 12.0, 0.0);
    std::future<void> closed;
    {
        auto stream =
            std::make_unique<SegmentedStream>(format, kThreads, AlignmentPeriod(kOutputRate), 0);
        EncodeAll(*stream, input, false);
        ASSERT_FALSE(HasFailure());
        const size_t withStream = ThreadsOfThisProcess();
        closed = std::async(std::launch::async, [&stream] { stream.reset(); });
        ASSERT_EQ(closed.wait_for(std::chrono::seconds(60)), std::future_status::ready)
            << "closing hangs";
        closed = {}; // joins the thread that closed it
        // A joined thread can stay listed for a moment while the kernel reaps it.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return ThreadsOfThisProcess() <= withStream - kThreads; }, 10000))
            << "the stream's threads live on";
    }
}

} // namespace
