// Races libsonavek.so, driven as the conversion worker drives it (by
// bench_encode_child), against the lame tool on 44100 Hz stereo pink noise and
// a music-like signal, 60 s and 600 s, at 128 and 320 kbit/s, and compares the
// joined stream's quality with the one-encoder stream's. Prints figures; it is
// not a test.
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
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <sched.h>
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

void PrintQuality(const QTemporaryDir& dir, const std::vector<int16_t>& input, uint16_t kbps) {
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = kRate;
    config.byMode = BE_MP3_MODE_STEREO;
    config.wBitrate = kbps;
    const StreamFormat format = *FormatFromConfig(config);
    const std::unique_ptr<Mp3Stream> parallel = OpenStream(format, 2);
    const std::vector<int16_t> ours = DecodedByMpg123(dir, EncodeHere(*parallel, input));
    const std::vector<int16_t> single =
        DecodedByMpg123(dir, EncodeHere(*EncoderStream::Open(format), input));
    const size_t delay = BestLag(single, 2, input, 2, input.size() / 12, 16384);
    const size_t frames = single.size() / 2;
    const double wholeOurs = Snr(ours, input, delay, 0, frames);
    const double wholeSingle = Snr(single, input, delay, 0, frames);
    double worst = 1e300;
    uint64_t worstJoin = 0;
    double worstOurs = 0.0;
    double worstSingle = 0.0;
    const std::vector<uint64_t> joins = dynamic_cast<SegmentedStream&>(*parallel).Joins();
    for (uint64_t join : joins) {
        const size_t from = (join - 2) * kFrameSamples;
        const size_t to = (join + 2) * kFrameSamples;
        const double a = Snr(ours, input, delay, from, to);
        const double b = Snr(single, input, delay, from, to);
        if (a - b < worst) {
            worst = a - b;
            worstJoin = join;
            worstOurs = a;
            worstSingle = b;
        }
    }
    std::printf("  SNR whole file: ours %.3f dB, one encoder %.3f dB, difference %+.3f dB "
                "(limit -0.05)\n",
                wholeOurs, wholeSingle, wholeOurs - wholeSingle);
    std::printf("  %zu joins; worst at frame %llu: ours %.2f dB, one encoder %.2f dB, "
                "difference %+.2f dB (limit -1)\n",
                joins.size(), static_cast<unsigned long long>(worstJoin), worstOurs, worstSingle,
                worst);
}

// Rounds of ours, lame and two lames, in turn; short encodes get more, since
// the machine's other work moves them more.
int RaceRounds(int seconds) {
    return seconds < 120 ? 15 : 5;
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

void Race(const QTemporaryDir& dir, const QString& wave, uint16_t kbps, int rounds) {
    const QString out = dir.filePath("output.mp3");
    const QString rate = QString::number(kbps);
    const QStringList lame = {"lame", "--quiet",       "-b", rate, "-m", "s", "-q",
                              "3",    "--noreplaygain"};
    // Two whole encodes at once: what the cores give two threads of work
    // with nothing shared, before any cost of ours.
    const QString both =
        QStringLiteral("%1 \"$1\" \"$2.a\" & first=$!; %1 \"$1\" \"$2.b\" && wait $first")
            .arg(lame.join(' '));
    std::vector<ChildRun> oursRuns;
    std::vector<ChildRun> lameRuns;
    std::vector<double> ratios;
    std::vector<double> splits;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun ours = RunChild({EncodeChild(), Library(), wave, out, rate});
        const ChildRun theirs = RunChild(lame + QStringList{wave, out});
        const ChildRun pair = RunChild({"sh", "-c", both, "sh", wave, out});
        if (ours.seconds < 0 || theirs.seconds < 0 || pair.seconds < 0) {
            std::fprintf(stderr, "an encoder failed\n");
            std::exit(1);
        }
        // Each round's own ratios: runs close in time share the machine's
        // load, which drifts over a bench.
        ratios.push_back(ours.seconds / theirs.seconds);
        splits.push_back(pair.seconds / (2.0 * theirs.seconds));
        oursRuns.push_back(ours);
        lameRuns.push_back(theirs);
    }
    const auto wall = [](const ChildRun& run) { return run.seconds; };
    const auto cpu = [](const ChildRun& run) { return run.cpuSeconds; };
    const auto peak = [](const ChildRun& run) { return double(run.maxRssKiB); };
    // The CPU time shows what the segments' priming and overlap cost, whatever
    // else the machine runs at the same time.
    std::printf("  %d kbit/s: ours %.2f s, lame %.2f s, ratio %.3f (limit 0.55); CPU ours %.2f s, "
                "lame %.2f s, ratio %.3f; peak memory ours %.0f KiB, lame %.0f KiB\n",
                kbps, Median(oursRuns, wall), Median(lameRuns, wall), Median(ratios),
                Median(oursRuns, cpu), Median(lameRuns, cpu),
                Median(oursRuns, cpu) / Median(lameRuns, cpu), Median(oursRuns, peak),
                Median(lameRuns, peak));
    std::printf("  two lame encodes at once: a perfect split over the cores would give ratio "
                "%.3f\n",
                Median(splits));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    cpu_set_t cores;
    const int threads = sched_getaffinity(0, sizeof cores, &cores) == 0 ? CPU_COUNT(&cores) : 1;
    std::printf("44100 Hz stereo through libsonavek.so on %d threads against "
                "lame -b N -m s -q 3 --noreplaygain: medians over %d rounds (60 s) and %d "
                "(600 s); a ratio is the median of the rounds' own\n",
                threads, RaceRounds(60), RaceRounds(600));
    const struct {
        const char* name;
        std::vector<int16_t> (*make)(double);
    } signalKinds[] = {{"pink noise", PinkNoise}, {"music-like", MusicLike}};
    for (const auto& kind : signalKinds)
        for (int seconds : {60, 600}) {
            const std::vector<int16_t> input = kind.make(seconds);
            const QString wave = dir.filePath(QStringLiteral("input.wav"));
            if (!WritePcmWave(wave, input, kRate, 2))
                return 1;
            std::printf("%s, %d s\n", kind.name, seconds);
            for (uint16_t kbps : {128, 320}) {
                Race(dir, wave, kbps, RaceRounds(seconds));
                PrintQuality(dir, input, kbps);
            }
            QFile::remove(wave);
        }
    return 0;
}
