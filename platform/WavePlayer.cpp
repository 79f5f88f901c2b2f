#include "WavePlayer.h"

#include "AudioOutput.h"
#include "WaveFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <atomic>
#include <memory>

namespace {

QAudioFormat::SampleFormat PlayableSampleFormat(const WaveFormat& wave) {
    if (wave.formatTag != WAVE_FORMAT_PCM)
        return QAudioFormat::Unknown;
    switch (wave.bitsPerSample) {
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

// The sample bytes of a wave file, straight from the file. The sink asks
// how much is left from its own thread too. It never hears that the device
// is at its end, as with the PCM queue: Qt's PulseAudio sink would then drain
// the stream with a callback that can come after the sink is deleted.
class WaveDataDevice : public QIODevice {
public:
    WaveDataDevice(const QString& path, const WaveLayout& layout)
        : m_file(path), m_offset(layout.dataOffset), m_remaining(layout.dataBytes) {}

    bool Start() {
        return m_file.open(QIODevice::ReadOnly) && m_file.seek(m_offset) &&
               open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return false; }
    bool Finished() const { return m_remaining == 0; }
    qint64 bytesAvailable() const override { return m_remaining + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 read = m_file.read(data, std::min(maxSize, m_remaining.load()));
        if (read > 0)
            m_remaining -= read;
        return read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile m_file;
    qint64 m_offset;
    std::atomic<qint64> m_remaining;
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
    const std::optional<WaveFormat> wave = ReadWaveFormat(path);
    if (!wave || wave->dataBytes <= 0)
        return std::nullopt;
    const QAudioFormat::SampleFormat sampleFormat = PlayableSampleFormat(*wave);
    if (sampleFormat == QAudioFormat::Unknown)
        return std::nullopt;
    QAudioFormat format;
    format.setSampleRate(wave->sampleRate);
    format.setChannelCount(wave->channels);
    format.setSampleFormat(sampleFormat);
    return WaveLayout{format, wave->dataOffset, wave->dataBytes};
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
           (state == QAudio::IdleState && !g_holder->sound.data->Finished());
}
