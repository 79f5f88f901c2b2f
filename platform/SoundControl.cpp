#include "SoundControl.h"

#include "AudioOutput.h"
#include "Mp3Decoder.h"
#include "Mp3Probe.h"
#include "Paths.h"
#include "WaveFile.h"

#include <QAudioSink>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 150;
constexpr double kQueueSeconds = 0.5;

bool SameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

long long FreeBytes(const QString& folder) {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return -1;
    return (long long)info.f_bavail * (long long)info.f_frsize;
}

std::atomic<bool> g_holdDecoding{false};

} // namespace

void SoundControlSeam::SetHoldDecoding(bool hold) {
    g_holdDecoding = hold;
}

bool SoundControlSeam::HoldDecoding() {
    return g_holdDecoding;
}

SoundControl::SoundControl(QObject* parent) : QObject(parent) {
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &SoundControl::Poll);
}

SoundControl::~SoundControl() {
    Close();
}

int SoundControl::Open(const QString& source, const QString& destination) {
    Close();
    QFile readable(source);
    if (source.isEmpty() || !QFileInfo(source).isFile() || !readable.open(QIODevice::ReadOnly))
        return SOUND_SOURCE_UNREADABLE;
    readable.close();
    const Mp3ProbeResult probe = ProbeMp3File(source);
    if (!probe.isMp3 || probe.formatChanged)
        return SOUND_NOT_MP3;
    if (probe.cutShort && !destination.isEmpty())
        return SOUND_SOURCE_CUT_SHORT;
    auto decoder = std::make_unique<Mp3Decoder>();
    if (!decoder->Open(source, probe) || decoder->SampleRate() != probe.sampleRate ||
        decoder->Channels() != probe.channels || decoder->FrameCount() > INT_MAX)
        return SOUND_NOT_MP3;

    m_source = source;
    m_sourceSize = QFileInfo(source).size();
    m_destination = destination;
    m_frames = int(decoder->FrameCount());
    m_samples = decoder->SampleCount();
    m_rate = decoder->SampleRate();
    m_channels = decoder->Channels();
    m_samplesPerFrame = decoder->SamplesPerFrame();
    if (!destination.isEmpty()) {
        const int refused = CheckDestination(destination);
        if (refused != SOUND_OK) {
            Close();
            return refused;
        }
    }
    m_decoder = std::move(decoder);
    m_state = State::Ready;
    return SOUND_OK;
}

// Looks at the destination without touching it.
int SoundControl::CheckDestination(const QString& destination) const {
    const QFileInfo target(destination);
    const QString folder = target.absolutePath();
    if (!IsFolder(folder))
        return SOUND_NO_FOLDER;
    if (target.isDir())
        return SOUND_DESTINATION_UNWRITABLE;
    const QString canonicalTarget = QDir(folder).canonicalPath() + "/" + target.fileName();
    if (SameFile(m_source, destination) ||
        QFileInfo(m_source).canonicalFilePath() == canonicalTarget)
        return SOUND_DESTINATION_IS_SOURCE;
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return SOUND_DESTINATION_UNWRITABLE;
    const long long expected = m_samples * m_channels * 2 + kWaveHeaderBytes;
    if (expected > 0xFFFFFFFFLL)
        return SOUND_OUTPUT_TOO_LARGE;
    if (FreeBytes(folder) < expected)
        return SOUND_NO_DISK_SPACE;
    return SOUND_OK;
}

void SoundControl::Run() {
    if (m_state == State::Paused) {
        if (m_sink)
            m_sink->resume();
        else
            m_clock.start();
        m_state = State::Running;
        return;
    }
    const bool canStart =
        m_state == State::Ready || (m_state == State::Finished && m_destination.isEmpty());
    if (!canStart)
        return;
    m_reported = -1;
    m_state = State::Running;
    if (m_destination.isEmpty())
        StartPlaying();
    else
        StartDecoding();
    m_poll.start();
}

void SoundControl::Pause() {
    if (m_state != State::Running || !m_destination.isEmpty())
        return;
    if (m_sink) {
        m_sink->suspend();
    } else {
        m_clockBaseUs = HeardMicroseconds();
        m_clock.invalidate();
    }
    m_state = State::Paused;
}

void SoundControl::Stop() {
    if (m_state != State::Running && m_state != State::Paused)
        return;
    m_poll.stop();
    StopPlaying();
    m_state = State::Ready;
}

void SoundControl::Close() {
    m_poll.stop();
    StopPlaying();
    m_decoder.reset();
    m_state = State::Closed;
    m_source.clear();
    m_destination.clear();
    m_sourceSize = 0;
    m_frames = 0;
    m_samples = 0;
    m_rate = 0;
    m_channels = 0;
    m_samplesPerFrame = 0;
}

int SoundControl::GetLength() const {
    return m_frames;
}

float SoundControl::GetUnitMs() const {
    return m_rate ? float(m_samplesPerFrame * 1000.0 / m_rate) : 0.0f;
}

double SoundControl::GetMusicMs() const {
    return m_rate ? double(m_samples) * 1000.0 / m_rate : 0.0;
}

void SoundControl::StartDecoding() {
    m_workerFrame = 0;
    m_worker = std::thread([this] { DecodeToFile(); });
}

void SoundControl::SetWorkerFailure(int code, const QString& text) {
    std::lock_guard lock(m_failureMutex);
    m_failureCode = code;
    m_failureText = text;
}

// Runs on the worker thread; the decoder belongs to it until it is joined.
void SoundControl::DecodeToFile() {
    TempWaveFile output(m_destination);
    // The end is reported at once instead of at the next poll.
    auto done = [this] {
        m_workerDone = true;
        QMetaObject::invokeMethod(this, &SoundControl::Poll, Qt::QueuedConnection);
    };
    auto fail = [&](int code, const QString& text) {
        output.Discard();
        SetWorkerFailure(code, text);
        done();
    };
    if (!output.Create())
        return fail(SOUND_WRITE_FAILED, output.LastError());
    while (!m_stopWorker) {
        const unsigned char* pcm = nullptr;
        size_t bytes = 0;
        const Mp3Decoder::Step step = m_decoder->DecodeFrame(&pcm, &bytes);
        if (step == Mp3Decoder::Step::End)
            break;
        if (step == Mp3Decoder::Step::FormatChanged)
            return fail(SOUND_FORMAT_CHANGED, m_decoder->LastError());
        if (step == Mp3Decoder::Step::Error)
            return SourceShrank() ? fail(SOUND_SOURCE_CUT_SHORT, "the source file was cut short")
                                  : fail(SOUND_READ_FAILED, m_decoder->LastError());
        if (bytes > 0 && !output.Append(pcm, bytes))
            return fail(SOUND_WRITE_FAILED, output.LastError());
        m_workerFrame = m_decoder->CurrentFrame();
        if (SoundControlSeam::HoldDecoding() && m_workerFrame > 0)
            m_stopWorker.wait(false);
    }
    if (m_stopWorker)
        return;
    // The source is read ahead in large blocks, so a cut made after the last
    // block was read shows only in the file's size.
    if (output.DataBytes() != m_samples * m_channels * 2 || SourceShrank())
        return fail(SOUND_SOURCE_CUT_SHORT, "the source file was cut short");
    if (!output.Commit(m_rate, m_channels))
        return fail(SOUND_WRITE_FAILED, output.LastError());
    done();
}

bool SoundControl::SourceShrank() const {
    return QFileInfo(m_source).size() < m_sourceSize;
}

void SoundControl::StartPlaying() {
    m_clockBaseUs = 0;
    m_drainedFor.invalidate();
    QAudioFormat format;
    format.setSampleRate(m_rate);
    format.setChannelCount(m_channels);
    format.setSampleFormat(QAudioFormat::Int16);
    m_sink = CreateDefaultSink(format);
    m_silent = !m_sink || !m_decoder->Rewind();
    if (m_silent) {
        m_sink.reset();
        m_clock.start();
        return;
    }
    m_queue = std::make_unique<PcmQueue>(size_t(m_rate * m_channels * 2 * kQueueSeconds));
    m_worker = std::thread([this] { FeedQueue(); });
    m_sink->start(m_queue.get());
    if (m_sink->error() != QAudio::NoError && m_sink->state() == QAudio::StoppedState)
        SwitchToSilentClock();
}

// Runs on the worker thread.
void SoundControl::FeedQueue() {
    while (!m_stopWorker) {
        const unsigned char* pcm = nullptr;
        size_t bytes = 0;
        if (m_decoder->DecodeFrame(&pcm, &bytes) != Mp3Decoder::Step::Frame)
            break;
        if (bytes > 0 && !m_queue->Push(pcm, bytes))
            return;
    }
    m_queue->MarkEnd();
}

void SoundControl::StopWorker() {
    m_stopWorker = true;
    m_stopWorker.notify_all();
    if (m_queue)
        m_queue->Cancel();
    if (m_worker.joinable())
        m_worker.join();
    m_stopWorker = false;
    m_workerDone = false;
}

void SoundControl::StopPlaying() {
    StopWorker();
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
    m_queue.reset();
    m_clock.invalidate();
    m_clockBaseUs = 0;
    m_silent = false;
}

long long SoundControl::HeardMicroseconds() const {
    if (m_sink)
        return m_sink->processedUSecs();
    return m_clockBaseUs + (m_clock.isValid() ? m_clock.nsecsElapsed() / 1000 : 0);
}

// The output went away: the time goes on, silently, from where it was.
void SoundControl::SwitchToSilentClock() {
    const long long heard = HeardMicroseconds();
    StopWorker();
    m_sink->stop();
    m_sink.reset();
    m_queue.reset();
    m_clockBaseUs = heard;
    if (m_state == State::Running)
        m_clock.start();
    else
        m_clock.invalidate();
}

void SoundControl::Poll() {
    if (m_destination.isEmpty())
        PollPlaying();
    else
        PollDecoding();
}

void SoundControl::PollDecoding() {
    if (m_state != State::Running)
        return;
    if (!m_workerDone) {
        ReportPosition(m_workerFrame);
        return;
    }
    m_worker.join();
    m_workerDone = false;
    int code = 0;
    QString text;
    {
        std::lock_guard lock(m_failureMutex);
        std::swap(code, m_failureCode);
        std::swap(text, m_failureText);
    }
    if (code == 0)
        return Finish();
    m_poll.stop();
    m_state = State::Failed;
    emit Failed(code, text);
}

void SoundControl::PollPlaying() {
    if (m_sink && m_sink->state() == QAudio::StoppedState && m_sink->error() != QAudio::NoError &&
        m_sink->error() != QAudio::UnderrunError)
        SwitchToSilentClock();
    if (m_state != State::Running)
        return;
    const long long heardUs = HeardMicroseconds();
    ReportPosition(heardUs * m_rate / 1000000 / m_samplesPerFrame);
    const long long totalUs = m_samples * 1000000 / m_rate;
    if (!m_sink) {
        if (heardUs >= totalUs)
            Finish();
        return;
    }
    if (!m_queue->Drained())
        return;
    if (!m_drainedFor.isValid())
        m_drainedFor.start();
    // What the output still holds once everything has been handed to it.
    const long long bufferedMs =
        m_sink->bufferSize() * 1000LL / std::max(1, m_rate * m_channels * 2);
    if (m_sink->state() == QAudio::IdleState || m_drainedFor.elapsed() > bufferedMs + kPollMs)
        Finish();
}

void SoundControl::ReportPosition(long long frame) {
    const int position = int(std::clamp<long long>(frame, 0, m_frames));
    if (position == m_reported)
        return;
    m_reported = position;
    emit Progress(position);
}

void SoundControl::Finish() {
    m_poll.stop();
    ReportPosition(m_frames);
    if (m_destination.isEmpty())
        StopPlaying();
    else if (m_worker.joinable())
        m_worker.join();
    m_state = State::Finished;
    emit Finished();
}
