// The stream on several threads against one encoder over the same input: real
// LAME on both sides, decoded by the independent mpg123 tool.
#include "SegmentedStream.h"
#include "ChildProcess.h"
#include "EncoderLibrary.h"
#include "Sonavek.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <future>
#include <malloc.h>
#include <numbers>
#include <numeric>
#include <random>
#include <sched.h>

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

// All of `samples` in chunks, the frames without the placeholder of the Info
// frame; without `flush`, as a stopped batch leaves it.
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
        EXPECT_EQ(stream.InfoTag(output.data(), &written), BE_ERR_SUCCESSFUL);
        mp3.erase(mp3.begin(), mp3.begin() + std::min<size_t>(written, mp3.size()));
    }
    return mp3;
}

BE_CONFIG Config(int rate, uint8_t mode, int kbps) {
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = uint32_t(rate);
    config.byMode = mode;
    config.wBitrate = uint16_t(kbps);
    return config;
}

StreamFormat Format(int rate, uint8_t mode, int kbps) {
    return *FormatFromConfig(Config(rate, mode, kbps));
}

std::vector<uint8_t> EncodeOnOneEncoder(const StreamFormat& format,
                                        const std::vector<int16_t>& samples) {
    return EncodeAll(*EncoderStream::Open(format), samples);
}

FrameRun Parsed(std::vector<uint8_t> bytes, uint64_t firstFrame = 0) {
    FrameRun run;
    run.firstFrame = firstFrame;
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

// Every frame's main data lies within the reservoir's reach and after the
// frame before's: what the repacker must keep at every join.
void ExpectReservoirHolds(const FrameRun& run) {
    for (size_t i = 0; i < run.frames.size(); ++i) {
        const FrameInfo& frame = run.frames[i];
        ASSERT_LE(frame.mainDataBegin, 511u) << "frame " << i;
        ASSERT_LE(frame.mainDataBegin, frame.slotStart) << "frame " << i;
        if (i > 0) {
            ASSERT_GE(frame.DataStart(), run.frames[i - 1].DataEnd()) << "frame " << i;
        }
    }
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
    int threads = kThreads;
};

void PrintTo(const JoinCase& c, std::ostream* os) {
    *os << "signal " << int(c.signal) << ", " << c.rate << " Hz, mode " << int(c.mode) << ", "
        << c.kbps << " kbit/s, segments of " << c.segmentPeriods << " periods, " << c.held
        << " held, " << c.seconds << " s, " << c.threads << " threads";
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
        // Eight threads: full segments and a tail shared eight ways, and a
        // tail alone cut into one piece a thread.
        {Signal::Chirp, kOutputRate, stereo, 128, 2, 2, 15.0, 8},
        {Signal::Noise, 48000, dual, 320, 2, 2, 15.0, 8},
        {Signal::Impulses, kOutputRate, mono, 128, 2, 7, 20.0, 8},
        {Signal::SilenceThenBurst, 22050, stereo, 128, 2, 7, 20.0, 8},
    };
}

// Short segments, so that a few seconds hold several joins.
TEST_P(JoinTest, JoinedStreamMatchesOneEncoderInFramesAndQuality) {
    const JoinCase c = GetParam();
    const StreamFormat format = Format(c.rate, c.mode, c.kbps);
    const uint64_t segmentFrames = c.segmentPeriods * AlignmentPeriod(c.rate);
    const double burst =
        double((segmentFrames + PrimingFrames(c.rate)) * kFrameSamples) / kOutputRate;
    const std::vector<int16_t> input = Render(c.signal, c.rate, format.channels, c.seconds, burst);

    SegmentedStream parallel(format, c.threads, segmentFrames, c.held);
    const FrameRun joined = Parsed(EncodeAll(parallel, input));
    const FrameRun single = Parsed(EncodeOnOneEncoder(format, input));
    const std::vector<uint64_t> joins = parallel.Joins();
    ASSERT_GE(joins.size(), size_t(std::max(2, c.threads - 1)));
    ASSERT_NO_FATAL_FAILURE(ExpectReservoirHolds(joined));

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

// Every main data byte of the run, in order, without headers and side info.
std::vector<uint8_t> MainDataStream(const FrameRun& run) {
    std::vector<uint8_t> data;
    for (const FrameInfo& frame : run.frames)
        data.insert(data.end(), run.bytes.begin() + frame.slotOffset,
                    run.bytes.begin() + frame.offset + frame.size);
    return data;
}

std::vector<uint8_t> MainDataOf(const FrameRun& run, const std::vector<uint8_t>& stream,
                                size_t frame) {
    const FrameInfo& info = run.frames[frame];
    return {stream.begin() + info.DataStart(), stream.begin() + info.DataEnd()};
}

// An encoder started on a later frame, joined to one that started at 0: every
// frame's data stays within the reservoir's reach and is byte for byte its own.
TEST(FrameRepackerTest, RelaysMainDataIntoFreeReservoirBytes) {
    const StreamFormat format = Format(kOutputRate, BE_MP3_MODE_STEREO, 128);
    const std::vector<int16_t> input = Render(Signal::Noise, kOutputRate, 2, 3.0, 0.0);
    const uint64_t start = 49;
    const std::vector<int16_t> tail(input.begin() + ptrdiff_t(start * kFrameSamples * 2),
                                    input.end());
    FrameRun earlier = Parsed(EncodeOnOneEncoder(format, input));
    const FrameRun later = Parsed(EncodeOnOneEncoder(format, tail), start);
    const FrameRun original = earlier;

    const uint64_t join = ChooseJoin(earlier, 0, later, start + 4, start + 15);
    ASSERT_GT(later.frames[join - start].mainDataBegin, 0u) << "nothing borrowed: no relaying";
    RelayBorrowedBytes(earlier, later, join);
    std::vector<uint8_t> bytes(earlier.bytes.begin(),
                               earlier.bytes.begin() + earlier.frames[join].offset);
    bytes.insert(bytes.end(), later.bytes.begin() + later.frames[join - start].offset,
                 later.bytes.end());
    const FrameRun joined = Parsed(bytes);
    ASSERT_EQ(joined.frames.size(), join + later.frames.size() - (join - start));

    const auto joinedData = MainDataStream(joined), earlierData = MainDataStream(original),
               laterData = MainDataStream(later);
    for (size_t i = 0; i < joined.frames.size(); ++i) {
        const FrameInfo& frame = joined.frames[i];
        ASSERT_LE(frame.mainDataBegin, 511u);
        ASSERT_LE(frame.mainDataBegin, frame.slotStart) << "frame " << i;
        if (i > 0) {
            ASSERT_GE(frame.DataStart(), joined.frames[i - 1].DataEnd()) << "frame " << i;
        }
        const std::vector<uint8_t> expected = i < join
                                                  ? MainDataOf(original, earlierData, i)
                                                  : MainDataOf(later, laterData, i - size_t(start));
        ASSERT_EQ(MainDataOf(joined, joinedData, i), expected) << "frame " << i;
    }
}

// The input left at the flush is cut so that the threads finish within a
// period of each other, counting the work still queued on them: every piece
// but the last also encodes the next one's priming and join window.
TEST(SegmentedStreamTest, TailPiecesEndTheThreadsTogether) {
    const uint64_t period = AlignmentPeriod(kOutputRate), overlap = OverlapFrames(kOutputRate);
    const uint64_t segmentWork = 16 * period + overlap;
    const struct {
        uint64_t frames;
        std::vector<uint64_t> loads; // queued work of the threads, least first
    } cases[] = {
        {2297, {0, 0}},
        {2000, {0, segmentWork}},
        {3000, {3 * segmentWork, 3 * segmentWork}},
        {3000, {0, 0, 0}},
        {5000, {0, segmentWork, segmentWork}},
        {6113, std::vector<uint64_t>(5, segmentWork / 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames << " frames, " << c.loads.size() << " threads, "
                                        << c.loads.back() << " most queued");
        const std::vector<uint64_t> pieces = TailPieces(c.frames, period, overlap, c.loads);
        ASSERT_EQ(pieces.size(), c.loads.size());
        EXPECT_EQ(std::accumulate(pieces.begin(), pieces.end(), uint64_t(0)), c.frames);
        std::vector<uint64_t> finishes;
        for (size_t i = 0; i < pieces.size(); ++i) {
            const bool last = i + 1 == pieces.size();
            EXPECT_TRUE(last || pieces[i] % period == 0) << "piece " << i;
            EXPECT_GE(pieces[i], period) << "piece " << i;
            finishes.push_back(c.loads[i] + pieces[i] + (last ? 0 : overlap));
        }
        const auto [first, lastDone] = std::ranges::minmax(finishes);
        EXPECT_LE(lastDone - first, period);
    }
    // 600 s on 16 threads: 43 segments handed out leave eleven threads twice the
    // work of the other five. The rounding to whole periods goes to the last
    // piece, which may end more than a period early; the busiest ends within a
    // period of the mean.
    const std::vector<uint64_t> loads = QueuedLoads(43, 16, 8 * period + overlap);
    const std::vector<uint64_t> pieces = TailPieces(6113, period, overlap, loads);
    ASSERT_EQ(pieces.size(), 16u);
    uint64_t work = 6113 + 15 * overlap, busiest = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        work += loads[i];
        busiest = std::max(busiest, loads[i] + pieces[i] + (i + 1 < pieces.size() ? overlap : 0));
    }
    EXPECT_LE(busiest, work / 16 + period);
    // One busy thread ends as the other would end the whole tail; or too short
    // for two pieces of a period each.
    const uint64_t oneBusy[] = {0, segmentWork};
    EXPECT_EQ(TailPieces(segmentWork - PrimingFrames(kOutputRate), period, overlap, oneBusy).size(),
              1u);
    const uint64_t idle[] = {0, 0};
    EXPECT_EQ(TailPieces(2 * period - 1, period, overlap, idle).size(), 1u);
}

// The work left on the threads at the flush when the input comes faster than
// they encode: with two segments a thread in flight, the flush comes as the
// last is handed out, once the one that many before it is done.
TEST(SegmentedStreamTest, QueuedLoadsFollowTheSegmentsInFlight) {
    const uint64_t s = 100;
    const struct {
        size_t handedOut;
        size_t threads;
        std::vector<uint64_t> loads;
    } cases[] = {
        {0, 2, {0, 0}},
        {1, 2, {0, s}},
        {4, 2, {2 * s, 2 * s}},
        {5, 2, {s, 2 * s}},        // handed out as the first was done
        {7, 2, {s, 2 * s}},        // as the third was
        {8, 3, {s, 2 * s, 2 * s}}, // as the second was
        {43,
         16,
         {s, s, s, s, s, 2 * s, 2 * s, 2 * s, 2 * s, 2 * s, 2 * s, 2 * s, 2 * s, 2 * s, 2 * s,
          2 * s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.handedOut << " segments on " << c.threads);
        EXPECT_EQ(QueuedLoads(c.handedOut, c.threads, s), c.loads);
    }
}

// A stream opened through the loaded library, as the conversion worker opens one.
class LibraryStream : public Mp3Stream {
public:
    LibraryStream(const CEncoderLibrary& library, const BE_CONFIG& config) : m_library(library) {
        EXPECT_EQ(library.m_pBeInitStream(&config, &m_chunkSamples, &m_outputBytes, &m_handle),
                  BE_ERR_SUCCESSFUL);
    }
    ~LibraryStream() override { m_library.m_pBeCloseStream(m_handle); }
    uint32_t ChunkSamples() const override { return m_chunkSamples; }
    uint32_t OutputBytes() const override { return m_outputBytes; }
    BE_ERR Encode(const int16_t* samples, uint32_t count, uint8_t* output,
                  uint32_t* written) override {
        return m_library.m_pBeEncodeChunk(m_handle, count, samples, output, written);
    }
    BE_ERR Flush(uint8_t* output, uint32_t* written) override {
        return m_library.m_pBeDeinitStream(m_handle, output, written);
    }
    BE_ERR InfoTag(uint8_t* output, uint32_t* written) override {
        return m_library.m_pBeGetInfoTag(m_handle, output, written);
    }

private:
    const CEncoderLibrary& m_library;
    uint32_t m_chunkSamples = 0, m_outputBytes = 0;
    HBE_STREAM m_handle = 0;
};

// The library takes as many threads as the caller may use cores: on one core
// its stream is the one encoder's, byte for byte. Two streams at once, each on
// threads of its own, give each the bytes it gives alone.
TEST(SegmentedStreamTest, LibraryFollowsTheCallersCoresAndKeepsStreamsApart) {
    CEncoderLibrary library;
    ASSERT_TRUE(library.Load());
    const BE_CONFIG stereo = Config(kOutputRate, BE_MP3_MODE_STEREO, 128);
    const BE_CONFIG mono = Config(48000, BE_MP3_MODE_MONO, 128);
    const std::vector<int16_t> impulses = Render(Signal::Impulses, kOutputRate, 2, 30.0, 0.0);
    const std::vector<int16_t> noise = Render(Signal::Noise, 48000, 1, 12.0, 0.0);
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    // Encodes on a thread that may run on the first `cores` of this process's cores.
    auto encodeOnCores = [&](const BE_CONFIG& config, const std::vector<int16_t>& input,
                             int cores) {
        return std::async(std::launch::async,
                          [&] {
                              cpu_set_t some;
                              CPU_ZERO(&some);
                              for (int cpu = 0; CPU_COUNT(&some) < cores; ++cpu)
                                  if (CPU_ISSET(cpu, &allowed))
                                      CPU_SET(cpu, &some);
                              EXPECT_EQ(sched_setaffinity(0, sizeof some, &some), 0);
                              LibraryStream stream(library, config);
                              return EncodeAll(stream, input);
                          })
            .get();
    };
    const std::vector<uint8_t> single = EncodeOnOneEncoder(*FormatFromConfig(stereo), impulses);
    EXPECT_EQ(encodeOnCores(stereo, impulses, 1), single);
    if (CPU_COUNT(&allowed) < 2)
        return;
    const std::vector<uint8_t> stereoAlone = encodeOnCores(stereo, impulses, 2);
    const std::vector<uint8_t> monoAlone = encodeOnCores(mono, noise, 2);
    EXPECT_NE(stereoAlone, single) << "two cores gave no joined stream";
    std::future<std::vector<uint8_t>> stereoAtOnce =
        std::async(std::launch::async, encodeOnCores, std::cref(stereo), std::cref(impulses), 2);
    EXPECT_EQ(encodeOnCores(mono, noise, 2), monoAlone);
    EXPECT_EQ(stereoAtOnce.get(), stereoAlone);
}

// The frames each segment kept but the last, which flushes.
std::vector<uint64_t> KeptFrames(SegmentedStream& stream) {
    std::vector<uint64_t> kept;
    for (const SegmentTimes& segment : stream.Times())
        kept.push_back(segment.keptFrames);
    kept.pop_back();
    return kept;
}

// The layout's pieces but the last, which takes the rest.
std::vector<uint64_t> LaidOut(uint64_t inputFrames, int rate, const StreamFormat& format) {
    std::vector<uint64_t> pieces = Layout(inputFrames, rate, 8, PlanFor(format, 8));
    pieces.pop_back();
    return pieces;
}

// On eight threads a stream is cut as the layout says, gives the same bytes
// every time, and two streams at once give each the bytes it gives alone.
TEST(SegmentedStreamTest, EightThreadsCutAsTheLayoutSaysWhateverTheTiming) {
    const StreamFormat stereo = Format(kOutputRate, BE_MP3_MODE_STEREO, 128);
    const StreamFormat mono = Format(48000, BE_MP3_MODE_MONO, 320);
    // Long enough for full segments before the flush, and the rest cut eight ways.
    const std::vector<int16_t> impulses = Render(Signal::Impulses, kOutputRate, 2, 95.0, 0.0);
    const std::vector<int16_t> noise = Render(Signal::Noise, 48000, 1, 12.0, 0.0);
    const auto encode = [](const StreamFormat& format, const std::vector<int16_t>& input,
                           std::vector<uint64_t>* kept) {
        const std::unique_ptr<Mp3Stream> stream = OpenStream(format, 8);
        auto& segmented = dynamic_cast<SegmentedStream&>(*stream);
        std::vector<uint8_t> mp3 = EncodeAll(*stream, input);
        *kept = KeptFrames(segmented);
        return mp3;
    };
    std::vector<uint64_t> kept;
    const std::vector<uint8_t> stereoAlone = encode(stereo, impulses, &kept);
    const uint64_t stereoFrames = impulses.size() / 2;
    EXPECT_EQ(kept, LaidOut(stereoFrames, kOutputRate, stereo));
    EXPECT_GE(kept.size(), 7u) << "not cut eight ways";
    EXPECT_EQ(kept.front(), PlanFor(stereo, 8).segmentFrames)
        << "no segment was handed out before the flush";
    std::vector<uint64_t> monoKept;
    const std::vector<uint8_t> monoAlone = encode(mono, noise, &monoKept);
    EXPECT_EQ(monoKept, LaidOut(noise.size(), 48000, mono));
    EXPECT_EQ(monoKept.size(), 7u) << "not cut eight ways";

    std::future<std::vector<uint8_t>> stereoAtOnce =
        std::async(std::launch::async, encode, std::cref(stereo), std::cref(impulses), &kept);
    std::vector<uint64_t> unused;
    EXPECT_EQ(encode(mono, noise, &unused), monoAlone);
    EXPECT_EQ(stereoAtOnce.get(), stereoAlone);
}

// The layout on N threads is a function of the input's length: whole periods
// from frame 0, none shorter than a period (longer than the priming and join
// window a piece carries), all of the input's frames, and an input of up to
// one segment a thread cut into pieces that end within a period of each other.
TEST(SegmentLayoutTest, WholePeriodsThatEndTogether) {
    const double seconds[] = {0.0, 0.02, 2.5, 2.6, 7.0, 29.9, 60.0, 61.3, 95.0, 200.0, 600.0};
    for (const int rate : {kOutputRate, 48000, 22050})
        for (const size_t threads : {2, 3, 4, 8, 16}) {
            const StreamFormat format = Format(rate, BE_MP3_MODE_STEREO, 128);
            const SegmentPlan plan = PlanFor(format, int(threads));
            const uint64_t period = AlignmentPeriod(rate);
            for (const double length : seconds) {
                SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(threads) +
                             " threads, " + std::to_string(length) + " s");
                const uint64_t inputFrames = uint64_t(length * rate);
                const uint64_t outputSamples = (inputFrames * kOutputRate + rate - 1) / rate;
                const uint64_t frames = (outputSamples + kFrameSamples - 1) / kFrameSamples;
                const std::vector<uint64_t> pieces = Layout(inputFrames, rate, threads, plan);
                ASSERT_FALSE(pieces.empty());
                EXPECT_EQ(pieces, Layout(inputFrames, rate, threads, plan));
                EXPECT_EQ(std::accumulate(pieces.begin(), pieces.end(), uint64_t(0)), frames);
                if (pieces.size() == 1) {
                    EXPECT_LT(frames, 2 * period + OverlapFrames(rate));
                    continue;
                }
                uint64_t work = 0;
                uint64_t busiest = 0;
                for (size_t i = 0; i < pieces.size(); ++i) {
                    EXPECT_GE(pieces[i], period) << "piece " << i;
                    const bool last = i + 1 == pieces.size();
                    EXPECT_TRUE(last || pieces[i] % period == 0) << "piece " << i;
                    const uint64_t pieceWork = pieces[i] + (last ? 0 : OverlapFrames(rate));
                    work += pieceWork;
                    busiest = std::max(busiest, pieceWork);
                }
                static_assert(kResampledPrimingFrames + kJoinWindowFrames < 49);
                if (frames <= (plan.held + 1) * plan.segmentFrames) {
                    EXPECT_LE(pieces.size(), threads);
                    EXPECT_LE(busiest, work / pieces.size() + period);
                }
            }
        }
}

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

size_t HeapInUse() {
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

// While the threads encode, the input goes only into the blocks that the
// segments in flight, the held one and the few kept ahead need: four minutes
// of input (41 MiB) leave the heap as flat as a few segments.
TEST(SegmentedStreamTest, HeapStaysFlatWhileTheThreadsAreBusy) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own counts, not the heap's";
#endif
    const StreamFormat format = Format(kOutputRate, BE_MP3_MODE_STEREO, 128);
    const std::vector<int16_t> input = Render(Signal::Tone, kOutputRate, 2, 240.0, 0.0);
    SegmentedStream stream(format, kThreads, 4 * AlignmentPeriod(kOutputRate), 1);
    std::vector<uint8_t> output(stream.OutputBytes());
    const size_t before = HeapInUse();
    size_t most = before;
    uint32_t written = 0;
    for (size_t done = 0; done < input.size(); done += stream.ChunkSamples()) {
        const uint32_t count =
            uint32_t(std::min<size_t>(stream.ChunkSamples(), input.size() - done));
        ASSERT_EQ(stream.Encode(input.data() + done, count, output.data(), &written),
                  BE_ERR_SUCCESSFUL);
        most = std::max(most, HeapInUse());
    }
    EXPECT_EQ(stream.Flush(output.data(), &written), BE_ERR_SUCCESSFUL);
    // Blocks of 0.9 MiB: four in flight, one held, two ahead, the one filled.
    EXPECT_LT(most - before, size_t(12) << 20);
}

// Puts the segment threads' seam back when a test ends, after its streams.
struct SeamReset {
    ~SeamReset() { SegmentedStreamSeam::beforeSegment = nullptr; }
};

// A segment's thread that throws (here the seam throws what a failed
// allocation would) fails its stream: the chunk that waits for it fails, so
// does every call after it, and the process lives on to close the stream.
TEST(SegmentedStreamTest, ASegmentThatThrowsFailsTheStreamNotTheProcess) {
    const SeamReset reset;
    SegmentedStreamSeam::beforeSegment = [](const std::atomic<bool>&) { throw std::bad_alloc(); };
    auto stream = std::make_unique<SegmentedStream>(Format(kOutputRate, BE_MP3_MODE_STEREO, 128),
                                                    kThreads, AlignmentPeriod(kOutputRate), 0);
    // More segments than may be in flight, so a chunk must wait for a failed one.
    const std::vector<int16_t> input = Render(Signal::Tone, kOutputRate, 2, 12.0, 0.0);
    std::vector<uint8_t> output(stream->OutputBytes());
    uint32_t written = 0;
    std::vector<BE_ERR> results;
    for (size_t done = 0; done < input.size(); done += stream->ChunkSamples()) {
        const uint32_t count =
            uint32_t(std::min<size_t>(stream->ChunkSamples(), input.size() - done));
        results.push_back(stream->Encode(input.data() + done, count, output.data(), &written));
    }
    results.push_back(stream->Flush(output.data(), &written));
    const auto failed = [](BE_ERR result) { return result != BE_ERR_SUCCESSFUL; };
    const auto firstFailure = std::find_if(results.begin(), results.end(), failed);
    EXPECT_LT(firstFailure - results.begin(), ptrdiff_t(results.size()) - 1)
        << "no chunk failed before the flush";
    EXPECT_TRUE(std::all_of(firstFailure, results.end(), failed));
}

// Closing a stream (beCloseStream cancels it first) while its flush waits for
// segments held on their threads ends the flush at once with a failure, and
// the stream's threads end.
TEST(SegmentedStreamTest, CancellingEndsAFlushAtOnce) {
    std::mutex mutex;
    std::condition_variable changed;
    int held = 0;
    const SeamReset reset;
    SegmentedStreamSeam::beforeSegment = [&](const std::atomic<bool>& cancelled) {
        std::unique_lock lock(mutex);
        ++held;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(30), [&] { return cancelled.load(); });
    };
    // Input that no segment leaves before the flush.
    auto stream =
        std::make_unique<SegmentedStream>(Format(kOutputRate, BE_MP3_MODE_STEREO, 320), kThreads,
                                          16 * AlignmentPeriod(kOutputRate), kHeldSegments);
    EncodeAll(*stream, Render(Signal::Noise, kOutputRate, 2, 10.0, 0.0), false);
    ASSERT_EQ(held, 0);
    const size_t withStream = ThreadsOfThisProcess();
    std::vector<uint8_t> output(stream->OutputBytes());
    uint32_t written = 0;
    std::future<BE_ERR> flushed =
        std::async(std::launch::async, [&] { return stream->Flush(output.data(), &written); });
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return held > 0; }))
            << "the flush handed no segment to a thread";
    }
    stream->Cancel();
    {
        std::lock_guard lock(mutex);
        changed.notify_all();
    }
    ASSERT_EQ(flushed.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the flush waits on";
    EXPECT_NE(flushed.get(), BE_ERR_SUCCESSFUL);
    stream.reset();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return ThreadsOfThisProcess() <= withStream - kThreads; }, 10000))
        << "the stream's threads live on";
}

// Exit code for the death test: 0 when, with the address space held near what
// is in use, every call returns a code: opening a stream fails until there is
// room for its threads (and fails at least once by a thread or an allocation
// that could not be had), and a chunk whose input block cannot be allocated
// fails, the stream's next call fails too, and its handle still closes.
int FailWithCodesUnderMemoryLimit() {
    CEncoderLibrary library;
    if (!library.Load())
        return 10;
    uint32_t samples = 0, outputBytes = 0;
    HBE_STREAM stream = 0;
    const BE_CONFIG config = Config(kOutputRate, BE_MP3_MODE_STEREO, 128);
    int thrown = 0;
    for (rlim_t room = 256 << 10;; room += 256 << 10) {
        if (room > rlim_t(512) << 20 || !LimitAddressSpace(room))
            return 11;
        const BE_ERR opened = library.m_pBeInitStream(&config, &samples, &outputBytes, &stream);
        if (opened == BE_ERR_SUCCESSFUL)
            break;
        thrown += opened == BE_ERR_ENCODER_FAILED;
    }
    if (thrown == 0)
        return 12;
    library.m_pBeCloseStream(stream);

    const BE_CONFIG highRate = Config(384000, BE_MP3_MODE_STEREO, 128);
    if (!LimitAddressSpace(RLIM_INFINITY) ||
        library.m_pBeInitStream(&highRate, &samples, &outputBytes, &stream) != BE_ERR_SUCCESSFUL)
        return 13;
    std::vector<int16_t> input(samples);
    std::vector<uint8_t> output(outputBytes);
    uint32_t written = 0;
    if (!LimitAddressSpace(4 << 20) ||
        library.m_pBeEncodeChunk(stream, samples, input.data(), output.data(), &written) ==
            BE_ERR_SUCCESSFUL)
        return 14;
    if (!LimitAddressSpace(RLIM_INFINITY) ||
        library.m_pBeEncodeChunk(stream, samples, input.data(), output.data(), &written) ==
            BE_ERR_SUCCESSFUL ||
        library.m_pBeDeinitStream(stream, output.data(), &written) == BE_ERR_SUCCESSFUL)
        return 15;
    return library.m_pBeCloseStream(stream) == BE_ERR_SUCCESSFUL ? 0 : 16;
}

// A failed allocation or thread start inside the library is a failure code,
// never the end of the caller's program.
TEST(SonavekLibraryDeathTest, RunningOutOfMemoryFailsWithCodes) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator ends the process when memory runs out";
#endif
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    if (CPU_COUNT(&allowed) < 2)
        GTEST_SKIP() << "on one core the library starts no threads and stores no input";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(_exit(FailWithCodesUnderMemoryLimit()), testing::ExitedWithCode(0), "");
}

} // namespace
