// The audio output shared by the sound control and the wave player: a
// QAudioSink on the default output device, and a bounded queue of samples
// that a decoding thread fills while the sink drains it.
#pragma once

#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

// A sink on the default output for `format`; none where no output device exists or
// the device cannot play the format.
std::unique_ptr<QAudioSink> CreateDefaultSink(const QAudioFormat& format);

// Lets tests stand in for a machine without any output device.
class AudioOutputSeam {
public:
    static void SetNoDevice(bool noDevice);
    static bool NoDevice();
};

// Filled from one thread, read by the sink on the owner's thread. Push blocks while
// the queue is full, until room is made or the queue is cancelled.
class PcmQueue : public QIODevice {
    Q_OBJECT
public:
    explicit PcmQueue(size_t capacityBytes, QObject* parent = nullptr);

    bool Push(const unsigned char* data, size_t bytes); // false once cancelled
    void MarkEnd();                                     // nothing more will be pushed
    void Cancel();                                      // wakes and refuses the producer
    bool Drained() const;                               // ended and empty

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    // Never at its end to the sink: a sink whose stream runs dry at the end
    // starts a drain of its own on the audio server's thread, whose answer can
    // come after the sink is stopped and deleted (Qt 6.4's PulseAudio sink)
    // and crash the program. The sound control finds the end by Drained().
    bool atEnd() const override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<unsigned char> m_bytes;
    bool m_ended = false;
    bool m_cancelled = false;
};
