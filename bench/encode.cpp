// Races libsonavek.so, driven as the conversion worker drives it, against the
// lame tool on the same 44100 Hz stereo wave files, and compares peak memory
// for a short and a long file. Prints ratios; it is not a test.
#include "EncoderLibrary.h"
#include "SoundFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kRepeats = 3;
constexpr uint16_t kKbps = 128;
constexpr const char* kChildFlag = "--encode-child";

// The worker's loop: raw 16-bit samples, one read and one write per chunk.
int EncodeLikeTheWorker(const char* source, const char* target) {
    CEncoderLibrary library;
    if (!library.Load())
        return 2;
    BE_VERSION version;
    library.m_pBeVersion(&version);
    const int in = open(source, O_RDONLY);
    const int out = open(target, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.dwSampleRate = 44100;
    config.byMode = BE_MP3_MODE_STEREO;
    config.wBitrate = kKbps;
    uint32_t chunkSamples = 0;
    uint32_t bufferSize = 0;
    HBE_STREAM stream = 0;
    if (in < 0 || out < 0 ||
        library.m_pBeInitStream(&config, &chunkSamples, &bufferSize, &stream) != 0)
        return 3;
    std::vector<int16_t> input(chunkSamples);
    std::vector<uint8_t> output(bufferSize);
    uint32_t written = 0;
    ssize_t got = 0;
    while ((got = read(in, input.data(), input.size() * 2)) > 0) {
        if (library.m_pBeEncodeChunk(stream, uint32_t(got / 2), input.data(), output.data(),
                                     &written) != 0 ||
            write(out, output.data(), written) != ssize_t(written))
            return 4;
    }
    if (got < 0 || library.m_pBeDeinitStream(stream, output.data(), &written) != 0 ||
        write(out, output.data(), written) != ssize_t(written))
        return 5;
    library.m_pBeCloseStream(stream);
    close(in);
    return close(out) == 0 ? 0 : 6;
}

struct Run {
    double seconds = 0.0;
    long maxRssKiB = 0;
};

// Runs a program under /usr/bin/time, whose small process forks it: a child
// spawned straight from this large one would inherit our peak memory.
Run Measure(const std::vector<std::string>& command, const QString& rssFile) {
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o",
                                      QFile::encodeName(rssFile).toStdString()};
    timed.insert(timed.end(), command.begin(), command.end());
    std::vector<char*> argv;
    for (const std::string& argument : timed)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    QFile rss(rssFile);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !rss.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s failed\n", command.front().c_str());
        std::exit(1);
    }
    run.maxRssKiB = rss.readAll().trimmed().toLong();
    return run;
}

// The fastest of a few runs, and the largest peak memory seen.
Run Best(const std::vector<std::string>& command, const QString& rssFile) {
    Run best = Measure(command, rssFile);
    for (int i = 1; i < kRepeats; ++i) {
        const Run run = Measure(command, rssFile);
        best.seconds = std::min(best.seconds, run.seconds);
        best.maxRssKiB = std::max(best.maxRssKiB, run.maxRssKiB);
    }
    return best;
}

struct Figures {
    Run ours;
    Run lameFair;
    Run lamePlain;
};

Figures RaceOn(const QString& wave, const QString& mp3, const QString& rssFile) {
    const std::string in = QFile::encodeName(wave).toStdString();
    const std::string out = QFile::encodeName(mp3).toStdString();
    const std::string self =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    Figures figures;
    figures.ours = Best({self, kChildFlag, in, out}, rssFile);
    figures.lameFair = Best(
        {"lame", "--quiet", "-b", "128", "-m", "s", "-q", "3", "--noreplaygain", in, out}, rssFile);
    figures.lamePlain = Best({"lame", "--quiet", "-b", "128", in, out}, rssFile);
    return figures;
}

void Print(int seconds, const Figures& f) {
    std::printf("%4d s: ours %.2f s, lame (same settings) %.2f s, lame -b 128 %.2f s; "
                "ratio %.3f (plain lame: %.3f); peak memory ours %ld KiB, lame %ld KiB\n",
                seconds, f.ours.seconds, f.lameFair.seconds, f.lamePlain.seconds,
                f.ours.seconds / f.lameFair.seconds, f.ours.seconds / f.lamePlain.seconds,
                f.ours.maxRssKiB, f.lameFair.maxRssKiB);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], kChildFlag) == 0)
        return EncodeLikeTheWorker(argv[2], argv[3]);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("Encoding 44100 Hz stereo at %d kbit/s, LAME quality 3, stereo mode, best of %d\n",
                kKbps, kRepeats);
    Figures figures[2];
    const int lengths[2] = {60, 600};
    for (int i = 0; i < 2; ++i) {
        ToneSpec tone;
        tone.seconds = lengths[i];
        const QString wave = dir.filePath(QStringLiteral("input.wav"));
        if (!WriteToneWave(wave, tone)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(wave));
            return 1;
        }
        figures[i] = RaceOn(wave, dir.filePath(QStringLiteral("output.mp3")),
                            dir.filePath(QStringLiteral("maxrss.txt")));
        Print(lengths[i], figures[i]);
        QFile::remove(wave);
    }
    const double growthMiB = (figures[1].ours.maxRssKiB - figures[0].ours.maxRssKiB) / 1024.0;
    std::printf("peak memory 600 s minus 60 s: %.1f MiB (limit 10)\n", growthMiB);
    return 0;
}
