#include "WavePlayer.h"

#include "AudioOutput.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QtEndian>

#include <memory>

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatExtensible = 0xFFFE;

QAudioFormat::SampleFormat SampleFormatFor(int bits) {
    switch (bits) {
    case 8:
        return QAudioFormat::UInt8;
    case 16:
        return QAudioFormat::Int16;
    case 32:
        return QAudioFormat::Int32;
    default:
        return QAudioFormat::Unknown;
    }
}

std::optional<QAudioFormat> ParseFormatChunk(const QByteArray& chunk) {
    if (chunk.size() < 16)
        return std::nullopt;
    const char* p = chunk.constData();
    quint16 tag = qFromLittleEndian<quint16>(p);
    const int channels = qFromLittleEndian<quint16>(p + 2);
    const int rate = int(qFromLittleEndian<quint32>(p + 4));
    const int blockAlign = qFromLittleEndian<quint16>(p + 12);
    const int bits = qFromLittleEndian<quint16>(p + 14);
    // The extensible form names its real format in the first two bytes of its GUID.
    if (tag == kFormatExtensible && chunk.size() >= 26)
        tag = qFromLittleEndian<quint16>(p + 24);
    const QAudioFormat::SampleFormat sampleFormat = SampleFormatFor(bits);
    if (tag != kFormatPcm || sampleFormat == QAudioFormat::Unknown || channels < 1 ||
        channels > 8 || rate < 1000 || rate > 384000 || blockAlign != channels * bits / 8)
        return std::nullopt;
    QAudioFormat format;
    format.setSampleRate(rate);
    format.setChannelCount(channels);
    format.setSampleFormat(sampleFormat);
    return format;
}

// The sample bytes of a wave file, straight from the file.
class WaveDataDevice : public QIODevice {
public:
    WaveDataDevice(const QString& path, const WaveLayout& layout)
        : m_file(path), m_offset(layout.dataOffset), m_remaining(layout.dataBytes) {}

    bool Start() {
        return m_file.open(QIODevice::ReadOnly) && m_file.seek(m_offset) &&
               open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_remaining == 0; }
    qint64 bytesAvailable() const override { return m_remaining + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 read = m_file.read(data, std::min(maxSize, m_remaining));
        if (read > 0)
            m_remaining -= read;
        return read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile m_file;
    qint64 m_offset;
    qint64 m_remaining;
};

// The sound that plays now; it goes away with the application.
struct WaveSound {
    std::unique_ptr<WaveDataDevice> data;
    std::unique_ptr<QAudioSink> sink;
};

class WaveSoundHolder : public QObject {
public:
    using QObject::QObject;
    WaveSound sound;
};

QPointer<WaveSoundHolder> g_holder;

WaveSound& CurrentSound() {
    if (!g_holder)
        g_holder = new WaveSoundHolder(QCoreApplication::instance());
    return g_holder->sound;
}

} // namespace

std::optional<WaveLayout> ReadWaveLayout(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 fileSize = file.size();
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<QAudioFormat> format;
    qint64 at = 12;
    while (at + 8 <= fileSize) {
        if (!file.seek(at))
            return std::nullopt;
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return std::nullopt;
        const qint64 size = qFromLittleEndian<quint32>(header.constData() + 4);
        const qint64 body = at + 8;
        if (header.startsWith("fmt ")) {
            if (body + size > fileSize)
                return std::nullopt;
            format = ParseFormatChunk(file.read(std::min<qint64>(size, 64)));
            if (!format)
                return std::nullopt;
        } else if (header.startsWith("data")) {
            if (!format)
                return std::nullopt;
            const qint64 frameBytes = format->bytesPerFrame();
            const qint64 held = std::min(size, fileSize - body) / frameBytes * frameBytes;
            if (held <= 0)
                return std::nullopt;
            return WaveLayout{*format, body, held};
        }
        at = body + size + (size & 1); // chunks are padded to an even size
    }
    return std::nullopt;
}

bool PlayWaveFile(const QString& path) {
    StopWavePlaying();
    const std::optional<WaveLayout> layout = ReadWaveLayout(path);
    if (!layout)
        return false;
    auto data = std::make_unique<WaveDataDevice>(path, *layout);
    auto sink = CreateDefaultSink(layout->format);
    if (!sink || !data->Start())
        return false;
    sink->start(data.get());
    if (sink->state() == QAudio::StoppedState && sink->error() != QAudio::NoError)
        return false;
    WaveSound& sound = CurrentSound();
    sound.data = std::move(data);
    sound.sink = std::move(sink);
    return true;
}

void StopWavePlaying() {
    if (!g_holder)
        return;
    WaveSound& sound = g_holder->sound;
    if (sound.sink)
        sound.sink->stop();
    sound.sink.reset();
    sound.data.reset();
}

bool IsWavePlaying() {
    if (!g_holder || !g_holder->sound.sink)
        return false;
    const QAudio::State state = g_holder->sound.sink->state();
    return state == QAudio::ActiveState ||
           (state == QAudio::IdleState && !g_holder->sound.data->atEnd());
}
