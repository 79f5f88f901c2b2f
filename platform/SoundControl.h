// The sound control: owns one MP3 file at a time, decodes it into a wave file
// or plays it on the default audio output. Decoding runs on the control's own
// thread; the signals are emitted on the thread that owns the control, a few
// times a second.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class Mp3Decoder;
class PcmQueue;
class QAudioSink;

// Results of Open and codes of Failed.
enum SoundResult : int {
    SOUND_OK = 0,
    SOUND_SOURCE_UNREADABLE = 701, // missing, not a regular file, or cannot be read
    SOUND_NOT_MP3 = 702,           // not MPEG Layer III audio, or its format changes
    SOUND_SOURCE_CUT_SHORT = 703,  // the last frame is cut off
    SOUND_NO_FOLDER = 704,         // the destination folder does not exist
    SOUND_DESTINATION_IS_SOURCE = 705,
    SOUND_OUTPUT_TOO_LARGE = 706, // over the 4 GiB a RIFF file can hold
    SOUND_DESTINATION_UNWRITABLE = 707,
    SOUND_NO_DISK_SPACE = 712,
    SOUND_WRITE_FAILED = 721, // the wave file could not be written or moved into place
    SOUND_READ_FAILED = 722,  // the source could not be read or decoded
    SOUND_FORMAT_CHANGED = 724,
};

// Lets tests hold a decoding worker after its first frame until it is told to
// stop, so that closing a control in the middle of decoding is a known point
// rather than a race against a fast decoder.
class SoundControlSeam {
public:
    static void SetHoldDecoding(bool hold);
    static bool HoldDecoding();
};

class SoundControl : public QObject {
    Q_OBJECT
public:
    explicit SoundControl(QObject* parent = nullptr);
    ~SoundControl() override;

    // Empty destination: opens for playing or measuring. Otherwise for decoding into
    // that wave file. Closes whatever was open first. Returns a SoundResult.
    int Open(const QString& source, const QString& destination);
    void Run();              // starts, or resumes after Pause
    void Pause();            // playing only
    void Stop();             // playing only; the next Run starts from the beginning
    void Close();            // stops everything; an unfinished wave file is discarded
    int GetLength() const;   // frames
    float GetUnitMs() const; // one frame's duration
    // The music's length: the samples left once the encoder's delay and
    // padding are trimmed, which the frames' own duration exceeds.
    double GetMusicMs() const;

signals:
    void Progress(int position);
    void Finished();
    void Failed(int code, const QString& text);

private:
    enum class State { Closed, Ready, Running, Paused, Finished, Failed };

    int CheckDestination(const QString& destination) const;
    void StartDecoding();
    void DecodeToFile();
    void StartPlaying();
    void FeedQueue();
    void StopWorker();
    void StopPlaying();
    void Poll();
    void PollDecoding();
    void PollPlaying();
    long long HeardMicroseconds() const;
    void SwitchToSilentClock();
    void ReportPosition(long long frame);
    void Finish();
    void SetWorkerFailure(int code, const QString& text);
    bool SourceShrank() const;

    QString m_source;
    QString m_destination;
    long long m_sourceSize = 0;
    std::unique_ptr<Mp3Decoder> m_decoder;
    State m_state = State::Closed;
    int m_frames = 0;
    long long m_samples = 0;
    int m_rate = 0;
    int m_channels = 0;
    int m_samplesPerFrame = 0;
    int m_reported = -1;
    QTimer m_poll;

    std::thread m_worker;
    std::atomic<bool> m_stopWorker{false};
    std::atomic<long long> m_workerFrame{0};
    std::atomic<bool> m_workerDone{false};
    std::mutex m_failureMutex;
    int m_failureCode = 0;
    QString m_failureText;

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<PcmQueue> m_queue;
    QElapsedTimer m_drainedFor;
    QElapsedTimer m_clock; // the silent clock, where no output plays
    long long m_clockBaseUs = 0;
    bool m_silent = false;
};
