#include "SoundFiles.h"
#include "ChildProcess.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <numbers>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads what the other end writes until it closes (true) or until `timeoutMs`
// has passed (false).
bool ReadUntilClosed(int fd, int timeoutMs, QByteArray* read) {
    QElapsedTimer clock;
    clock.start();
    char buffer[65536];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int left = int(std::max<qint64>(0, timeoutMs - clock.elapsed()));
        const int events = poll(&ready, 1, left);
        if (events < 0 && errno == EINTR)
            continue;
        if (events <= 0)
            return false;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        read->append(buffer, got);
    }
}

int BytesPerSample(SampleFormat format) {
    static constexpr int kBytes[] = {1, 2, 3, 4, 4}; // in SampleFormat's order
    return kBytes[int(format)];
}

template <typename T> void Append(QByteArray& bytes, T value, int size = sizeof(T)) {
    T little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), size);
}

// Integer samples are the two's complement low bytes of the scaled value; 8-bit
// ones are offset by 128.
void AppendSample(QByteArray& bytes, SampleFormat format, double value) {
    static constexpr double kFullScale[] = {127.0, 32767.0, 8388607.0, 2147483647.0};
    uint32_t raw;
    if (format == SampleFormat::F32) {
        const float f = float(value);
        std::memcpy(&raw, &f, sizeof raw);
    } else {
        raw = uint32_t(std::llround(value * kFullScale[int(format)]) +
                       (format == SampleFormat::U8 ? 128 : 0));
    }
    Append<uint32_t>(bytes, raw, BytesPerSample(format));
}

} // namespace

// The canonical 44-byte header of a wave file whose data chunk follows.
static QByteArray WaveHeader(uint16_t formatTag, int channels, int sampleRate, int bytesPerSample,
                             qint64 dataBytes) {
    QByteArray header;
    header.append("RIFF");
    Append<uint32_t>(header, uint32_t(36 + dataBytes));
    header.append("WAVEfmt ");
    Append<uint32_t>(header, 16);
    Append<uint16_t>(header, formatTag);
    Append<uint16_t>(header, uint16_t(channels));
    Append<uint32_t>(header, uint32_t(sampleRate));
    Append<uint32_t>(header, uint32_t(sampleRate * channels * bytesPerSample));
    Append<uint16_t>(header, uint16_t(channels * bytesPerSample));
    Append<uint16_t>(header, uint16_t(bytesPerSample * 8));
    header.append("data");
    Append<uint32_t>(header, uint32_t(dataBytes));
    return header;
}

bool WriteToneWave(const QString& path, const ToneSpec& tone) {
    const int bytesPerSample = BytesPerSample(tone.format);
    const qint64 frames = qint64(std::llround(tone.seconds * tone.sampleRate));
    QByteArray data;
    data.reserve(frames * tone.channels * bytesPerSample);
    for (qint64 i = 0; i < frames; ++i) {
        const double value = tone.amplitude * std::sin(2.0 * std::numbers::pi * tone.frequency *
                                                       double(i) / tone.sampleRate);
        for (int c = 0; c < tone.channels; ++c)
            AppendSample(data, tone.format, value);
    }
    const uint16_t formatTag = tone.format == SampleFormat::F32 ? 3 : 1;
    return WriteBytes(
        path,
        WaveHeader(formatTag, tone.channels, tone.sampleRate, bytesPerSample, data.size()) + data);
}

bool WritePcmWave(const QString& path, const std::vector<int16_t>& samples, int sampleRate,
                  int channels) {
    const qint64 dataBytes = qint64(samples.size() * sizeof(int16_t));
    return WriteBytes(path,
                      WaveHeader(1, channels, sampleRate, 2, dataBytes) +
                          QByteArray::fromRawData(reinterpret_cast<const char*>(samples.data()),
                                                  qsizetype(dataBytes)));
}

bool WriteToneMp3(const QString& path, const ToneSpec& tone, int kbps,
                  const QStringList& lameOptions) {
    QTemporaryDir dir;
    const QString wave = dir.filePath("tone.wav");
    ToneSpec pcm = tone;
    pcm.format = SampleFormat::S16;
    if (!WriteToneWave(wave, pcm))
        return false;
    return RunTool("lame", QStringList{"--quiet", "-b", QString::number(kbps)} + lameOptions +
                               QStringList{wave, path});
}

DecodedAudio ReadPcmWave(const QString& path, bool* ok) {
    DecodedAudio audio;
    *ok = false;
    const QByteArray bytes = ReadAll(path);
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return audio;
    qsizetype pos = 12;
    int bits = 0;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + pos + 4);
        const qsizetype body = pos + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            audio.channels = qFromLittleEndian<quint16>(bytes.constData() + body + 2);
            audio.sampleRate = int(qFromLittleEndian<quint32>(bytes.constData() + body + 4));
            bits = qFromLittleEndian<quint16>(bytes.constData() + body + 14);
        } else if (id == "data") {
            if (bits != 16 || audio.channels == 0)
                return audio;
            const qsizetype length = std::min<qsizetype>(size, bytes.size() - body);
            audio.samples.resize(length / 2);
            for (size_t i = 0; i < audio.samples.size(); ++i)
                audio.samples[i] = qFromLittleEndian<qint16>(bytes.constData() + body + 2 * i);
            *ok = true;
            return audio;
        }
        pos = body + size + (size & 1);
    }
    return audio;
}

// Runs a decoder whose arguments name the wave file it writes between `before` and `after`.
static DecodedAudio DecodeToWave(const QString& tool, const QStringList& before,
                                 const QStringList& after, bool* ok) {
    QTemporaryDir dir;
    const QString wave = dir.filePath("decoded.wav");
    // An hour of sound takes the tools well under a minute.
    if (!RunTool(tool, before + QStringList{wave} + after, nullptr, 600000)) {
        *ok = false;
        return {};
    }
    return ReadPcmWave(wave, ok);
}

DecodedAudio DecodeWithFfmpeg(const QString& mp3Path, bool* ok) {
    return DecodeToWave("ffmpeg", {"-v", "error", "-y", "-i", mp3Path, "-c:a", "pcm_s16le"}, {},
                        ok);
}

DecodedAudio DecodeWithMpg123(const QString& mp3Path, bool* ok) {
    return DecodeToWave("mpg123", {"-q", "-w"}, {mp3Path}, ok);
}

DecodedAudio Middle(const DecodedAudio& audio) {
    DecodedAudio middle = audio;
    const qint64 edge = audio.frames() / 10 * audio.channels;
    middle.samples.assign(audio.samples.begin() + edge, audio.samples.end() - edge);
    return middle;
}

double DominantFrequency(const DecodedAudio& audio, int channel) {
    const qint64 frames = audio.frames();
    if (frames < 2 || audio.sampleRate == 0)
        return 0.0;
    qint64 crossings = 0;
    for (qint64 i = 1; i < frames; ++i) {
        const int16_t a = audio.samples[(i - 1) * audio.channels + channel];
        const int16_t b = audio.samples[i * audio.channels + channel];
        if ((a < 0 && b >= 0) || (a >= 0 && b < 0))
            ++crossings;
    }
    return crossings / 2.0 / (double(frames) / audio.sampleRate);
}

// A plain fork and exec, not QProcess: ThreadSanitizer follows fork, but
// QProcess starts its child with a clone that leaves the parent's sanitizer
// state broken, so every later lock on the test's main thread went unseen.
bool RunTool(const QString& program, const QStringList& arguments, QByteArray* output,
             int timeoutMs) {
    ExecArguments argv(QStringList{program} + arguments);
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, STDIN_FILENO);
        dup2(pipeEnds[1], STDOUT_FILENO);
        dup2(pipeEnds[1], STDERR_FILENO);
        execvp(argv.Argv()[0], argv.Argv());
        _exit(127);
    }
    close(pipeEnds[1]);
    QByteArray read;
    const bool closed = child > 0 && ReadUntilClosed(pipeEnds[0], timeoutMs, &read);
    close(pipeEnds[0]);
    if (child < 0)
        return false;
    if (!closed)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (output)
        *output = std::move(read);
    return closed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
