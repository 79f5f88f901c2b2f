// Races libsonavek.so, driven as the conversion worker drives it (by
// bench_encode_child), against the lame tool on 44100 Hz stereo pink noise and
// a music-like signal, 60 s and 600 s, at 128 and 320 kbit/s, and compares the
// joined stream's quality with the one-encoder stream's. Then, for 1 to 16
// threads whatever the cores, measures each segment's CPU time and predicts
// the speed-up on as many cores. Prints figures; it is not a test.
#include "ChildProcess.h"
#include "EncoderLibrary.h"
#include "SegmentedStream.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr size_t kFrameSamples = 1152;

// Pink noise by Paul Kellet's filter over white noise, both channels apart.
std::vector<int16_t> PinkNoise(double seconds) {
    std::mt19937 random(1);
    std::normal_distribution<double> white(0.0, 1.0);
    std::vector<int16_t> samples;
    double b[2][7] = {};
    for (size_t i = 0; i < size_t(seconds * kRate); ++i)
        for (double* f : b) {
            const double w = white(random) * 0.05;
            f[0] = 0.99886 * f[0] + w * 0.0555179;
            f[1] = 0.99332 * f[1] + w * 0.0750759;
            f[2] = 0.96900 * f[2] + w * 0.1538520;
            f[3] = 0.86650 * f[3] + w * 0.3104856;
            f[4] = 0.55000 * f[4] + w * 0.5329522;
            f[5] = -0.7616 * f[5] - w * 0.0168980;
            const double pink = f[0] + f[1] + f[2] + f[3] + f[4] + f[5] + f[6] + w * 0.5362;
            f[6] = w * 0.115926;
            samples.push_back(int16_t(std::clamp(pink * 32767.0, -32768.0, 32767.0)));
        }
    return samples;
}

// Every 4 s: 2.5 s of plucked chords (three tones a channel, a pluck every
// 0.5 s), half a second of noise burst, one second of silence.
std::vector<int16_t> MusicLike(double seconds) {
    std::mt19937 random(2);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const double chords[2][3] = {{220.0, 277.2, 329.6}, {261.6, 329.6, 392.0}};
    std::vector<int16_t> samples;
    for (size_t i = 0; i < size_t(seconds * kRate); ++i) {
        const double t = double(i) / kRate;
        const double inCycle = std::fmod(t, 4.0);
        for (int channel = 0; channel < 2; ++channel) {
            double value = 0.0;
            if (inCycle < 2.5) {
                const double sincePluck = std::fmod(inCycle, 0.5);
                for (double f : chords[int(t / 4.0) % 2])
                    value += 0.2 * std::exp(-6.0 * sincePluck) *
                             std::sin(2.0 * std::numbers::pi * f * (1.0 + 0.5 * channel) * t);
            } else if (inCycle < 3.0) {
                value = 0.3 * noise(random);
            }
            samples.push_back(int16_t(std::lround(value * 32767.0)));
        }
    }
    return samples;
}

// One encode in this process, for the quality figures.
std::vector<uint8_t> EncodeHere(Mp3Stream& stream, const std::vector<int16_t>& samples) {
    std::vector<uint8_t> mp3;
    std::vector<uint8_t> output(stream.OutputBytes());
    uint32_t written = 0;
    for (size_t done = 0; done < samples.size(); done += stream.ChunkSamples()) {
        const uint32_t count =
            uint32_t(std::min<size_t>(stream.ChunkSamples(), samples.size() - done));
        if (stream.Encode(samples.data() + done, count, output.data(), &written) != 0)
            std::exit(1);
        mp3.insert(mp3.end(), output.begin(), output.begin() + written);
    }
    if (stream.Flush(output.data(), &written) != 0)
        std::exit(1);
    mp3.insert(mp3.end(), output.begin(), output.begin() + written);
    return mp3;
}

std::vector<int16_t> DecodedByMpg123(const QTemporaryDir& dir, const std::vector<uint8_t>& mp3) {
    const QString path = dir.filePath(QStringLiteral("quality.mp3"));
    bool ok = WriteBytes(
        path, QByteArray(reinterpret_cast<const char*>(mp3.data()), qsizetype(mp3.size())));
    const DecodedAudio audio = ok ? DecodeWithMpg123(path, &ok) : DecodedAudio{};
    if (!ok)
        std::exit(1);
    return audio.samples;
}

double Snr(const std::vector<int16_t>& decoded, const std::vector<int16_t>& input, size_t delay,
           size_t fromFrame, size_t toFrame) {
    double signal = 0.0;
    double noise = 0.0;
    for (size_t i = 2 * fromFrame; i < 2 * toFrame && i < decoded.size(); ++i) {
        const double wanted =
            i >= 2 * delay && i - 2 * delay < input.size() ? double(input[i - 2 * delay]) : 0.0;
        signal += wanted * wanted;
        noise += (decoded[i] - wanted) * (decoded[i] - wanted);
    }
    return 10.0 * std::log10(std::max(signal, 1.0) / std::max(noise, 1.0));
}

StreamFormat Stereo(uint16_t kbps) {
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = kRate;
    config.byMode = BE_MP3_MODE_STEREO;
    config.wBitrate = kbps;
    return *FormatFromConfig(config);
}

// A joined stream's quality against the one encoder's, decoded the same way.
struct Quality {
    double whole = 0.0, wholeSingle = 0.0; // SNR of the whole file, dB
    double worst = 1e300;                  // the worst join's SNR less the one encoder's
    uint64_t worstJoin = 0;
    double worstOurs = 0.0, worstSingle = 0.0;
};

class QualityCheck {
public:
    QualityCheck(const QTemporaryDir& dir, const std::vector<int16_t>& input,
                 const std::vector<uint8_t>& singleMp3)
        : m_dir(dir), m_input(input), m_single(DecodedByMpg123(dir, singleMp3)),
          m_delay(BestLag(m_single, 2, input, 2, input.size() / 12, 16384)) {}

    Quality Of(const std::vector<uint8_t>& mp3, const std::vector<uint64_t>& joins) const {
        const std::vector<int16_t> ours = DecodedByMpg123(m_dir, mp3);
        const size_t frames = m_single.size() / 2;
        Quality quality;
        quality.whole = Snr(ours, m_input, m_delay, 0, frames);
        quality.wholeSingle = Snr(m_single, m_input, m_delay, 0, frames);
        for (uint64_t join : joins) {
            const size_t from = (join - 2) * kFrameSamples;
            const size_t to = (join + 2) * kFrameSamples;
            const double a = Snr(ours, m_input, m_delay, from, to);
            const double b = Snr(m_single, m_input, m_delay, from, to);
            if (a - b < quality.worst)
                quality = {quality.whole, quality.wholeSingle, a - b, join, a, b};
        }
        return quality;
    }

private:
    const QTemporaryDir& m_dir;
    const std::vector<int16_t>& m_input;
    std::vector<int16_t> m_single;
    size_t m_delay;
};

void PrintQuality(const QTemporaryDir& dir, const std::vector<int16_t>& input, uint16_t kbps) {
    const StreamFormat format = Stereo(kbps);
    const std::unique_ptr<Mp3Stream> parallel = OpenStream(format, 2);
    const std::vector<uint8_t> ours = EncodeHere(*parallel, input);
    const QualityCheck check(dir, input, EncodeHere(*EncoderStream::Open(format), input));
    const std::vector<uint64_t> joins = dynamic_cast<SegmentedStream&>(*parallel).Joins();
    const Quality q = check.Of(ours, joins);
    std::printf("  SNR whole file: ours %.3f dB, one encoder %.3f dB, difference %+.3f dB "
                "(limit -0.05)\n",
                q.whole, q.wholeSingle, q.whole - q.wholeSingle);
    std::printf("  %zu joins; worst at frame %llu: ours %.2f dB, one encoder %.2f dB, "
                "difference %+.2f dB (limit -1)\n",
                joins.size(), static_cast<unsigned long long>(q.worstJoin), q.worstOurs,
                q.worstSingle, q.worst);
}

// Rounds of ours, lame and two lames, in turn; short encodes get more, since
// the machine's other work moves them more. On a virtual machine the cores'
// speed moves from one 600 s encode to the next by more than the target
// leaves, so long ones get nine.
int RaceRounds(int seconds) {
    return seconds < 120 ? 15 : 9;
}

// Built beside this program.
QString EncodeChild() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/bench_encode_child");
}

QString Library() {
    return QDir(SystemLibraryDirectory()).filePath(EncoderLibraryFileName());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The runs' median of one figure.
double Median(const std::vector<ChildRun>& runs, double (*figure)(const ChildRun&)) {
    std::vector<double> values;
    for (const ChildRun& run : runs)
        values.push_back(figure(run));
    return Median(values);
}

// `cores` lame encodes of the file at once, waited for together.
QString LameAtOnce(const QStringList& lame, int cores) {
    QString script;
    for (int i = 0; i < cores; ++i)
        script += QStringLiteral("%1 \"$1\" \"$2.%2\" & ").arg(lame.join(' ')).arg(i);
    return script + QStringLiteral("wait");
}

void Race(const QTemporaryDir& dir, const QString& wave, uint16_t kbps, int rounds, int cores,
          double target) {
    const QString out = dir.filePath("output.mp3");
    const QString rate = QString::number(kbps);
    const QStringList lame = {"lame", "--quiet",       "-b", rate, "-m", "s", "-q",
                              "3",    "--noreplaygain"};
    // One whole encode a core at once: what the cores give that many threads
    // of work with nothing shared, before any cost of ours.
    const QString atOnce = LameAtOnce(lame, cores);
    std::vector<ChildRun> oursRuns;
    std::vector<ChildRun> lameRuns;
    std::vector<double> ratios;
    std::vector<double> splits;
    std::vector<double> overSplit;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun ours = RunChild({EncodeChild(), Library(), wave, out, rate});
        const ChildRun theirs = RunChild(lame + QStringList{wave, out});
        const ChildRun all = RunChild({"sh", "-c", atOnce, "sh", wave, out});
        if (ours.seconds < 0 || theirs.seconds < 0 || all.seconds < 0) {
            std::fprintf(stderr, "an encoder failed\n");
            std::exit(1);
        }
        // Each round's own ratios: runs close in time share the machine's
        // load, which drifts over a bench.
        ratios.push_back(ours.seconds / theirs.seconds);
        splits.push_back(all.seconds / (cores * theirs.seconds));
        overSplit.push_back(ours.seconds / (all.seconds / cores));
        oursRuns.push_back(ours);
        lameRuns.push_back(theirs);
    }
    const auto wall = [](const ChildRun& run) { return run.seconds; };
    const auto cpu = [](const ChildRun& run) { return run.cpuSeconds; };
    const auto peak = [](const ChildRun& run) { return double(run.maxRssKiB); };
    // The CPU time shows what the segments' priming and overlap cost, whatever
    // else the machine runs at the same time.
    std::printf("  %d kbit/s: ours %.2f s, lame %.2f s, ratio %.3f; CPU ours %.2f s, "
                "lame %.2f s, ratio %.3f; peak memory ours %.0f KiB, lame %.0f KiB\n",
                kbps, Median(oursRuns, wall), Median(lameRuns, wall), Median(ratios),
                Median(oursRuns, cpu), Median(lameRuns, cpu),
                Median(oursRuns, cpu) / Median(lameRuns, cpu), Median(oursRuns, peak),
                Median(lameRuns, peak));
    const double overLimit = Median(overSplit);
    std::printf("  %d lame encodes at once, wall / %d: the perfect split, ratio %.3f to lame; "
                "ours over the perfect split %.3f (target %.2f): %s\n",
                cores, cores, Median(splits), overLimit, target,
                overLimit <= target ? "met" : "NOT MET");
}

// Where N cores would have the segments' work: each segment, handed out when
// the caller reached it (its CPU clock, and no sooner than the oldest of a
// full set in flight is done), runs on the core that is free first.
struct Prediction {
    double busiest = 0.0; // the busiest core's CPU seconds
    double wall = 0.0;    // until the flush returns, the final join included
};

Prediction Predict(const std::vector<SegmentTimes>& segments, size_t cores, double finalJoin) {
    const size_t limit = InFlightLimit(cores);
    std::vector<double> freeAt(cores, 0.0), busy(cores, 0.0), finished;
    double handedOut = 0.0;
    double callerBefore = 0.0;
    double allOlderDone = 0.0; // segments in order, the caller joins them in order
    for (size_t i = 0; i < segments.size(); ++i) {
        const SegmentTimes& segment = segments[i];
        if (i >= limit)
            allOlderDone = std::max(allOlderDone, finished[i - limit]);
        handedOut = std::max(handedOut + segment.callerCpuAtQueue - callerBefore, allOlderDone);
        callerBefore = segment.callerCpuAtQueue;
        // A thread sets up its next encoder as soon as it is free.
        const size_t core = size_t(std::min_element(freeAt.begin(), freeAt.end()) - freeAt.begin());
        freeAt[core] = std::max(handedOut, freeAt[core] + segment.setupCpu) + segment.encodeCpu;
        busy[core] += segment.setupCpu + segment.encodeCpu;
        finished.push_back(freeAt[core]);
    }
    return {*std::max_element(busy.begin(), busy.end()),
            *std::max_element(finished.begin(), finished.end()) + finalJoin};
}

double OneEncoderCpu(const StreamFormat& format, const std::vector<int16_t>& input,
                     std::vector<uint8_t>* mp3) {
    const std::unique_ptr<Mp3Stream> single = EncoderStream::Open(format);
    const double start = ThreadCpuSeconds();
    *mp3 = EncodeHere(*single, input);
    return ThreadCpuSeconds() - start;
}

// One encoder encoding the input over and over on a thread of its own, on
// the stream's core (this process's), while the stream's segments encode: its CPU time per
// sample there is the one encoder's. On a virtual machine one encoder's CPU
// time moves by 10-40 % from one run to the next, and a core's speed from one
// moment to the next, more than the goal leaves; taking turns with the
// segments' threads, it sees the core as they do. Its weight is raised (where
// this process may), so that it covers enough of the input in a short
// stream's window; it waits while the caller reads up to the first cut, so as
// not to take the core from the threads that map in the caller's blocks.
class ReferenceEncoder {
public:
    struct Reading {
        double cpu = 0.0;
        uint64_t samples = 0;
    };

    ReferenceEncoder(const StreamFormat& format, const std::vector<int16_t>& input)
        : m_format(format), m_input(input), m_thread([this] { Run(); }) {}
    ~ReferenceEncoder() {
        m_stop = true;
        Resume();
        m_thread.join();
    }
    ReferenceEncoder(const ReferenceEncoder&) = delete;
    ReferenceEncoder& operator=(const ReferenceEncoder&) = delete;

    void Resume() {
        m_bRunning = true;
        m_bRunning.notify_one();
    }
    void Pause() { m_bRunning = false; }

    Reading Now() {
        clockid_t clock{};
        timespec now{};
        pthread_getcpuclockid(m_thread.native_handle(), &clock);
        clock_gettime(clock, &now);
        return {double(now.tv_sec) + double(now.tv_nsec) * 1e-9, m_samples};
    }

    // One encoder's CPU seconds for the whole input, from the CPU time per
    // sample between two readings.
    double WholeInputCpu(const Reading& from, const Reading& to) const {
        return (to.cpu - from.cpu) * double(m_input.size()) / double(to.samples - from.samples);
    }

private:
    void Run() {
        setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), kRaisedNice);
        std::vector<uint8_t> output;
        uint32_t written = 0;
        while (!m_stop) {
            const std::unique_ptr<Mp3Stream> stream = EncoderStream::Open(m_format);
            output.resize(stream->OutputBytes());
            for (size_t done = 0; done < m_input.size() && !m_stop;) {
                m_bRunning.wait(false);
                const uint32_t count =
                    uint32_t(std::min<size_t>(kReferenceChunk, m_input.size() - done));
                if (stream->Encode(m_input.data() + done, count, output.data(), &written) != 0)
                    std::exit(1);
                done += count;
                m_samples += count;
            }
        }
    }

    static constexpr int kRaisedNice = -5;
    // Four frames of stereo: a reading is off by at most this much input.
    static constexpr uint32_t kReferenceChunk = 4 * kFrameSamples * 2;
    const StreamFormat m_format;
    const std::vector<int16_t>& m_input;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<uint64_t> m_samples{0};
    std::thread m_thread;
};

struct ManyCoreRow {
    int threads = 0;
    size_t pieces = 0;
    double one = 0.0;   // one encoder's CPU seconds for the input, in the stream's window
    double total = 0.0; // CPU seconds of the caller and every thread
    double read = 0.0;  // the caller's, before the first segment was handed out
    double finalJoin = 0.0;
    Prediction prediction;
    Quality quality;
    double SpeedUp() const { return one / prediction.wall; }
};

ManyCoreRow MeasureThreads(const StreamFormat& format, const std::vector<int16_t>& input,
                           int threads, ReferenceEncoder& reference, const QualityCheck& check) {
    SegmentedStreamSeam::beforeSegment = [&](const std::atomic<bool>&) { reference.Resume(); };
    const std::unique_ptr<Mp3Stream> stream = OpenStream(format, threads);
    auto& segmented = dynamic_cast<SegmentedStream&>(*stream);
    const ReferenceEncoder::Reading before = reference.Now();
    const double start = ThreadCpuSeconds();
    const std::vector<uint8_t> mp3 = EncodeHere(*stream, input);
    ManyCoreRow row;
    row.total = ThreadCpuSeconds() - start;
    reference.Pause();
    SegmentedStreamSeam::beforeSegment = nullptr;
    row.one = reference.WholeInputCpu(before, reference.Now());
    row.threads = threads;
    const std::vector<SegmentTimes> segments = segmented.Times();
    for (const SegmentTimes& segment : segments)
        row.total += segment.setupCpu + segment.encodeCpu;
    row.pieces = segments.size();
    row.read = segments.front().callerCpuAtQueue;
    row.finalJoin = segmented.FinalJoinCpu();
    row.prediction = Predict(segments, size_t(threads), row.finalJoin);
    row.quality = check.Of(mp3, segmented.Joins());
    return row;
}

constexpr int kThreadCounts[] = {2, 4, 8, 16};
// Rounds of every thread count; each row is the round with the median speed-up.
constexpr int kManyCoreRounds = 5;

const ManyCoreRow& MedianRound(std::vector<ManyCoreRow>& rounds) {
    std::ranges::sort(rounds, {}, &ManyCoreRow::SpeedUp);
    return rounds[rounds.size() / 2];
}

// The library's streams on 2 to 16 threads, in this process, on one core.
void PrintManyCoreTable(const QTemporaryDir& dir, const std::vector<int16_t>& input, int seconds) {
    const StreamFormat format = Stereo(128);
    std::vector<uint8_t> singleMp3;
    const double alone = OneEncoderCpu(format, input, &singleMp3);
    const QualityCheck check(dir, input, singleMp3);
    std::vector<std::vector<ManyCoreRow>> rows(std::size(kThreadCounts));
    {
        ReferenceEncoder reference(format, input);
        for (int round = 0; round < kManyCoreRounds; ++round)
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i].push_back(
                    MeasureThreads(format, input, kThreadCounts[i], reference, check));
    }
    const double goalShare = seconds >= 600 ? 0.85 : 0.7;
    std::printf("  one encoder alone: %.3f s; each row the median of %d rounds\n", alone,
                kManyCoreRounds);
    std::printf("  threads | pieces | one encoder beside s | CPU / one | busiest core s | read "
                "before first cut ms | final join ms | predicted speed-up | goal | SNR whole dB "
                "| worst join dB\n");
    for (std::vector<ManyCoreRow>& rounds : rows) {
        const ManyCoreRow& row = MedianRound(rounds);
        const double goal = goalShare * row.threads;
        std::printf("  %7d | %6zu | %20.3f | %9.3f | %14.3f | %24.1f | %13.1f | "
                    "%6.2f (%.2f N) | %4.1f %s | %+.3f | %+.2f\n",
                    row.threads, row.pieces, row.one, row.total / row.one, row.prediction.busiest,
                    1e3 * row.read, 1e3 * row.finalJoin, row.SpeedUp(), row.SpeedUp() / row.threads,
                    goal, row.SpeedUp() >= goal ? "met" : "NOT MET",
                    row.quality.whole - row.quality.wholeSingle, row.quality.worst);
    }
}

struct SignalKind {
    const char* name;
    std::vector<int16_t> (*make)(double);
};
constexpr SignalKind kSignalKinds[] = {{"pink noise", PinkNoise}, {"music-like", MusicLike}};

bool RaceAll(const QTemporaryDir& dir) {
    cpu_set_t cores;
    const int threads = sched_getaffinity(0, sizeof cores, &cores) == 0 ? CPU_COUNT(&cores) : 1;
    std::printf("44100 Hz stereo through libsonavek.so on %d threads against "
                "lame -b N -m s -q 3 --noreplaygain: medians over %d rounds (60 s) and %d "
                "(600 s); a ratio is the median of the rounds' own\n",
                threads, RaceRounds(60), RaceRounds(600));
    for (const SignalKind& kind : kSignalKinds)
        for (int seconds : {60, 600}) {
            const std::vector<int16_t> input = kind.make(seconds);
            const QString wave = dir.filePath(QStringLiteral("input.wav"));
            if (!WritePcmWave(wave, input, kRate, 2))
                return false;
            std::printf("%s, %d s\n", kind.name, seconds);
            for (uint16_t kbps : {128, 320}) {
                Race(dir, wave, kbps, RaceRounds(seconds), threads, seconds >= 600 ? 1.04 : 1.08);
                PrintQuality(dir, input, kbps);
            }
            QFile::remove(wave);
        }
    return true;
}

// The first of this process's cores.
cpu_set_t FirstCore() {
    cpu_set_t allowed;
    int first = 0;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        while (first + 1 < CPU_SETSIZE && !CPU_ISSET(first, &allowed))
            ++first;
    cpu_set_t core;
    CPU_ZERO(&core);
    CPU_SET(first, &core);
    return core;
}

// On one core of this machine, so that the stream's threads never run at the
// same time as one another: CPU time is then what each would take on a core
// of its own, less what the machine's other work takes from it.
void PrintManyCoreTables(const QTemporaryDir& dir) {
    const cpu_set_t core = FirstCore();
    sched_setaffinity(0, sizeof core, &core);
    std::printf("Many cores: 44100 Hz stereo at 128 kbit/s on 2 to 16 threads, whatever this "
                "machine's cores; CPU seconds by thread, the speed-up predicted for as many "
                "cores (goal 0.7 N for 60 s, 0.85 N for 600 s), one encoder measured beside "
                "each stream's segments on their core\n");
    for (const SignalKind& kind : kSignalKinds)
        for (int seconds : {60, 600}) {
            std::printf("%s, %d s\n", kind.name, seconds);
            PrintManyCoreTable(dir, kind.make(seconds), seconds);
        }
}

} // namespace

// bench_encode [race | cores]: both parts, or one.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (part != "cores" && !RaceAll(dir))
        return 1;
    if (part != "race")
        PrintManyCoreTables(dir);
    return 0;
}
