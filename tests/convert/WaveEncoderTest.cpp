// Encoding wave files through the real encoder library, checked by decoding
// with the independent ffmpeg tool: every input type and channel mode,
// stopping part-way and replacing a target only when complete.
#include "EncodeWorker.h"
#include "MessageBox.h"
#include "SoundControl.h"
#include "SoundFiles.h"
#include "TestFiles.h"
#include "WaveSamples.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

class WaveEncoderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_library.Load());
        m_events.started = [this](long long bytes) { m_fileBytes = bytes; };
        m_events.progressed = [this](long long done) {
            m_progress.push_back(done);
            if (int(m_progress.size()) >= m_stopAfter)
                m_stop.request_stop();
        };
    }

    QString MakeWave(const QString& name, const ToneSpec& tone) {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(WriteToneWave(path, tone));
        return path;
    }

    EncodeResult Encode(const QString& source, const QString& target, int channelMode = 1) {
        m_progress.clear();
        m_stop = std::stop_source();
        m_events.stop = m_stop.get_token();
        return EncodeWaveFile(m_library, EncodeJob{source, target, 128, channelMode}, m_events);
    }

    // Encodes `source` to out.mp3 and decodes that with ffmpeg.
    void EncodeAndDecode(const QString& source, int channelMode, DecodedAudio* decoded) {
        const QString mp3 = m_dir.filePath("out.mp3");
        ASSERT_EQ(Encode(source, mp3, channelMode).outcome, EncodeOutcome::Done);
        bool ok = false;
        *decoded = DecodeWithFfmpeg(mp3, &ok);
        ASSERT_TRUE(ok);
    }

    QTemporaryDir m_dir;
    CEncoderLibrary m_library;
    EncodeEvents m_events;
    std::stop_source m_stop;
    long long m_fileBytes = -1;
    std::vector<long long> m_progress;
    int m_stopAfter = INT_MAX;
};

// Each input type with a channel mode: 0 keeps two channels, 1 is stereo, 2 mono.
TEST_F(WaveEncoderTest, EveryInputTypeComesOutAtTheRightSpeedPitchAndChannels) {
    const std::tuple<const char*, ToneSpec, int, int> cases[] = {
        {"22050 mono", {.sampleRate = 22050, .channels = 1}, 0, 2},
        {"48000 stereo", {.sampleRate = 48000}, 2, 1},
        {"8-bit", {.format = SampleFormat::U8}, 1, 2},
        {"24-bit", {.sampleRate = 32000, .format = SampleFormat::S24}, 0, 2},
        {"32-bit", {.channels = 1, .format = SampleFormat::S32}, 2, 1},
        {"float", {.format = SampleFormat::F32}, 1, 2},
    };
    for (auto [name, tone, mode, channels] : cases) {
        SCOPED_TRACE(name);
        tone.seconds = 2.0;
        tone.frequency = 660.0;
        const QString wave = MakeWave("in.wav", tone);
        DecodedAudio decoded;
        ASSERT_NO_FATAL_FAILURE(EncodeAndDecode(wave, mode, &decoded));
        EXPECT_EQ(m_fileBytes, QFileInfo(wave).size());
        ASSERT_FALSE(m_progress.empty());
        EXPECT_EQ(m_progress.back(), m_fileBytes);
        EXPECT_TRUE(std::is_sorted(m_progress.begin(), m_progress.end()));
        EXPECT_EQ(decoded.sampleRate, 44100);
        EXPECT_EQ(decoded.channels, channels);
        EXPECT_EQ(decoded.frames(), 2 * 44100) << "the Info frame trims delay and padding";
        for (int channel = 0; channel < decoded.channels; ++channel)
            EXPECT_NEAR(DominantFrequency(Middle(decoded), channel), 660.0, 660.0 * 0.02);
        EXPECT_EQ(FolderEntries(m_dir.path()), (QStringList{"in.wav", "out.mp3"}))
            << "no temporary file left";
    }
}

TEST_F(WaveEncoderTest, SamplesAreScaledToSixteenBitsAndMixed) {
    auto convert = [](const QByteArray& bytes, WaveFormat format, int outChannels) {
        std::vector<int16_t> out(size_t(bytes.size()) * 2);
        const size_t frames = size_t(bytes.size() / format.blockAlign);
        out.resize(ToEncoderSamples(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                    frames, format, outChannels, out.data()));
        return out;
    };
    const WaveFormat u8{WAVE_FORMAT_PCM, 1, 8000, 8, 1, 0, 0};
    EXPECT_EQ(convert(QByteArray("\x00\x80\xFF", 3), u8, 1),
              (std::vector<int16_t>{-32768, 0, 32512}));
    EXPECT_EQ(convert(QByteArray("\x00\x80", 2), u8, 2),
              (std::vector<int16_t>{-32768, -32768, 0, 0}));
    const WaveFormat s24{WAVE_FORMAT_PCM, 2, 8000, 24, 6, 0, 0};
    EXPECT_EQ(convert(QByteArray("\x11\x34\x12\xFF\xFF\xFF", 6), s24, 2),
              (std::vector<int16_t>{0x1234, -1}));
    const WaveFormat s16{WAVE_FORMAT_PCM, 2, 8000, 16, 4, 0, 0};
    EXPECT_EQ(convert(QByteArray("\xE8\x03\xB8\x0B", 4), s16, 1), (std::vector<int16_t>{2000}));
    const float floats[] = {1.5f, -1.0f, NAN, 0.5f, INFINITY, -INFINITY, 3e38f, -3e38f};
    const WaveFormat f32{WAVE_FORMAT_IEEE_FLOAT, 1, 8000, 32, 4, 0, 0};
    EXPECT_EQ(convert(QByteArray(reinterpret_cast<const char*>(floats), sizeof floats), f32, 1),
              (std::vector<int16_t>{32767, -32768, 0, 16384, 32767, -32768, 32767, -32768}));
}

// A library with the five entry points only, as before the Info frame, still
// converts: the file keeps the placeholder, which decoders skip whole.
TEST_F(WaveEncoderTest, ALibraryWithoutTheInfoFrameStillConverts) {
    CEncoderLibrary five;
    ASSERT_TRUE(five.Load(QStringLiteral(BRINDLE_FIVE_ENTRY_LIBRARY_DIRECTORY)));
    ASSERT_EQ(five.m_pBeGetInfoTag, nullptr);
    ASSERT_NE(m_library.m_pBeGetInfoTag, nullptr);
    const QString wave = MakeWave("in.wav", {.seconds = 1.5});
    const QString mp3 = m_dir.filePath("out.mp3");
    ASSERT_EQ(EncodeWaveFile(five, EncodeJob{wave, mp3, 128, 1}, m_events).outcome,
              EncodeOutcome::Done);
    const QByteArray placeholderFirst = ReadAll(mp3);
    ASSERT_EQ(Encode(wave, mp3).outcome, EncodeOutcome::Done);
    const QByteArray infoFirst = ReadAll(mp3);
    EXPECT_TRUE(placeholderFirst.startsWith("ID3"));
    ASSERT_EQ(placeholderFirst.size(), infoFirst.size());
    const qsizetype frameBytes = 417;
    EXPECT_EQ(placeholderFirst.mid(frameBytes), infoFirst.mid(frameBytes));
    EXPECT_EQ(infoFirst.mid(36, 4), "Info");
    ASSERT_TRUE(WriteBytes(mp3, placeholderFirst));
    bool ok = false;
    const DecodedAudio decoded = DecodeWithFfmpeg(mp3, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(decoded.frames() % 1152, 0) << "whole frames, none of them the placeholder";
    EXPECT_GT(decoded.frames(), 1.5 * 44100);
    EXPECT_LT(decoded.frames(), 1.5 * 44100 + 3 * 1152);
}

// WAV to MP3 to WAV through our own encoder and sound control gives back the
// source's every frame, in place.
TEST_F(WaveEncoderTest, ARoundTripKeepsTheSourcesLengthAndAlignment) {
    // A chirp, which matches itself at one lag only.
    std::vector<int16_t> chirp;
    for (int i = 0; i < 145577; ++i) {
        const double t = i / 44100.0;
        chirp.insert(chirp.end(), 2, int16_t(12000 * std::sin(2 * M_PI * (100 * t + 400 * t * t))));
    }
    const QString wave = m_dir.filePath("in.wav");
    ASSERT_TRUE(WritePcmWave(wave, chirp, 44100, 2));
    const QString mp3 = m_dir.filePath("out.mp3");
    ASSERT_EQ(Encode(wave, mp3).outcome, EncodeOutcome::Done);
    const QString back = m_dir.filePath("back.wav");
    SoundControl control;
    bool finished = false;
    QObject::connect(&control, &SoundControl::Finished, [&] { finished = true; });
    ASSERT_EQ(control.Open(mp3, back), SOUND_OK);
    control.Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 30000));
    bool ok = false, decodedOk = false;
    const DecodedAudio source = ReadPcmWave(wave, &ok);
    const DecodedAudio decoded = ReadPcmWave(back, &decodedOk);
    ASSERT_TRUE(ok && decodedOk);
    EXPECT_EQ(decoded.frames(), source.frames());
    EXPECT_EQ(BestLag(decoded.samples, 2, source.samples, 2, 44100, 8192), 0u);
}

TEST_F(WaveEncoderTest, StoppingPartWayLeavesTheOldTargetAndNoTemporaryFile) {
    ToneSpec tone;
    tone.seconds = 10.0;
    const QString wave = MakeWave("long.wav", tone);
    const QString mp3 = m_dir.filePath("out.mp3");
    ASSERT_TRUE(WriteBytes(mp3, "old"));
    m_stopAfter = 3;
    EXPECT_EQ(Encode(wave, mp3).outcome, EncodeOutcome::Stopped);
    EXPECT_EQ(m_progress.size(), 3u);
    EXPECT_EQ(ReadAll(mp3), "old");
    EXPECT_EQ(FolderEntries(m_dir.path()), (QStringList{"long.wav", "out.mp3"}));

    m_stopAfter = INT_MAX;
    ASSERT_EQ(Encode(wave, mp3).outcome, EncodeOutcome::Done);
    EXPECT_GT(QFileInfo(mp3).size(), 100000) << "an existing target is replaced once complete";
}

// The worker's side: a missing library is handed to the window on the UI
// thread, and a stop refuses the calls a worker waits in.
TEST_F(WaveEncoderTest, WorkerReportsAMissingLibraryAndStopsWithoutDeadlock) {
    CWorkerThreads threads;
    int result = 1;
    bool windowTouched = false;
    QStringList failures;
    const QThread* uiThread = QThread::currentThread();
    bool failedOnUiThread = false;
    const EncodeWindowCalls window{[&](int) { windowTouched = true; },
                                   [&](int) { windowTouched = true; },
                                   [&] { windowTouched = true; },
                                   [&](const QString& message, bool fileAtFault) {
                                       failures << message + (fileAtFault ? "|file" : "|stop");
                                       failedOnUiThread = QThread::currentThread() == uiThread;
                                   }};
    threads.Start([&] {
        result = EncodeWaveThread(EncodeJob{m_dir.filePath("a.wav"), m_dir.filePath("a.mp3")},
                                  threads, window, m_dir.path());
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !threads.IsRunning(); }, 10000));
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(windowTouched);
    EXPECT_EQ(failures, QStringList{"Convert initialization failed!|stop"});
    EXPECT_TRUE(failedOnUiThread);
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty())
        << "the window shows the message, not the worker";

    // A worker waiting on the UI thread while that thread stops it.
    bool ran = true;
    threads.Start([&] { ran = threads.CallUi([] {}); });
    // Wait without running events, which would carry out the worker's call.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!threads.IsWaitingOnUi() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(threads.IsWaitingOnUi());
    threads.Stop();
    EXPECT_FALSE(threads.IsRunning());
    EXPECT_FALSE(ran);
}

// The library's flush and close as a worker calls them: the flush is held at
// its start until the stream is closed under it (30 s at most), then goes on.
struct HeldFlush {
    static inline CEncoderLibrary real;
    static inline std::mutex mutex;
    static inline std::condition_variable changed;
    static inline bool flushing = false;
    static inline std::thread::id closedOn;

    static BE_ERR Flush(HBE_STREAM stream, uint8_t* output, uint32_t* written) {
        {
            std::unique_lock lock(mutex);
            flushing = true;
            changed.notify_all();
            changed.wait_for(lock, std::chrono::seconds(30),
                             [] { return closedOn != std::thread::id(); });
        }
        return real.m_pBeDeinitStream(stream, output, written);
    }
    static BE_ERR Close(HBE_STREAM stream) {
        {
            std::lock_guard lock(mutex);
            if (closedOn == std::thread::id())
                closedOn = std::this_thread::get_id();
            changed.notify_all();
        }
        return real.m_pBeCloseStream(stream);
    }
};

// Exit, Esc or a new Start while the worker is inside the library's flush:
// Stop closes the stream under the flush from the UI thread, which ends it,
// and returns with the worker joined and no file written.
TEST_F(WaveEncoderTest, StopDuringTheFlushClosesTheStreamAndLeavesNoFile) {
    ToneSpec tone;
    tone.seconds = 3.0;
    const QString wave = MakeWave("in.wav", tone);
    HeldFlush::real = m_library;
    HeldFlush::flushing = false;
    HeldFlush::closedOn = {};
    CEncoderLibrary library = m_library;
    library.m_pBeDeinitStream = HeldFlush::Flush;
    library.m_pBeCloseStream = HeldFlush::Close;
    CWorkerThreads threads;
    m_events.stop = threads.StopToken();
    EncodeResult result;
    threads.Start([&] {
        result = EncodeWaveFile(library, EncodeJob{wave, m_dir.filePath("out.mp3")}, m_events);
    });
    {
        std::unique_lock lock(HeldFlush::mutex);
        ASSERT_TRUE(HeldFlush::changed.wait_for(lock, std::chrono::seconds(30),
                                                [] { return HeldFlush::flushing; }));
    }
    threads.Stop();
    EXPECT_EQ(HeldFlush::closedOn, std::this_thread::get_id()) << "Stop left the flush running";
    EXPECT_FALSE(threads.IsRunning());
    EXPECT_EQ(result.outcome, EncodeOutcome::Stopped);
    EXPECT_EQ(FolderEntries(m_dir.path()), QStringList{"in.wav"});
}

} // namespace
