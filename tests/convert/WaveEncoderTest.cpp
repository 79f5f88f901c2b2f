// Encoding wave files through the real encoder library, checked by decoding
// with the independent ffmpeg tool: every input type, the channel modes, the
// refusals, stopping part-way and replacing a target only when complete.
#include "EncodeWorker.h"
#include "MessageBox.h"
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
#include <thread>

namespace {

class WaveEncoderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_library.Load());
        m_events.started = [this](long long bytes) { m_fileBytes = bytes; };
        m_events.progressed = [this](long long done) { m_progress.push_back(done); };
        m_events.stopRequested = [this] { return int(m_progress.size()) >= m_stopAfter; };
    }

    QString MakeWave(const QString& name, const ToneSpec& tone) {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(WriteToneWave(path, tone));
        return path;
    }

    EncodeResult Encode(const QString& source, const QString& target, int channelMode = 1) {
        m_progress.clear();
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
    long long m_fileBytes = -1;
    std::vector<long long> m_progress;
    int m_stopAfter = INT_MAX;
};

TEST_F(WaveEncoderTest, EveryInputTypeComesOutAtTheRightSpeedAndPitch) {
    const std::pair<const char*, ToneSpec> cases[] = {
        {"22050 mono", {.sampleRate = 22050, .channels = 1}},
        {"48000 stereo", {.sampleRate = 48000}},
        {"8-bit", {.format = SampleFormat::U8}},
        {"24-bit", {.sampleRate = 32000, .format = SampleFormat::S24}},
        {"32-bit", {.channels = 1, .format = SampleFormat::S32}},
        {"float", {.format = SampleFormat::F32}},
    };
    for (auto [name, tone] : cases) {
        SCOPED_TRACE(name);
        tone.seconds = 2.0;
        tone.frequency = 660.0;
        const QString wave = MakeWave("in.wav", tone);
        DecodedAudio decoded;
        ASSERT_NO_FATAL_FAILURE(EncodeAndDecode(wave, 1, &decoded));
        EXPECT_EQ(m_fileBytes, QFileInfo(wave).size());
        ASSERT_FALSE(m_progress.empty());
        EXPECT_EQ(m_progress.back(), m_fileBytes);
        EXPECT_TRUE(std::is_sorted(m_progress.begin(), m_progress.end()));
        EXPECT_EQ(decoded.sampleRate, 44100);
        EXPECT_EQ(decoded.channels, 2);
        EXPECT_NEAR(decoded.frames(), 2 * 44100, 2 * 1152);
        EXPECT_NEAR(DominantFrequency(Middle(decoded), 0), 660.0, 660.0 * 0.02);
        EXPECT_NEAR(DominantFrequency(Middle(decoded), 1), 660.0, 660.0 * 0.02);
        EXPECT_EQ(FolderEntries(m_dir.path()), (QStringList{"in.wav", "out.mp3"}))
            << "no temporary file left";
    }
}

TEST_F(WaveEncoderTest, ChannelModesGiveTheEncoderTheirChannels) {
    EXPECT_EQ(EncoderModeFor(0), BE_MP3_MODE_DUALCHANNEL);
    EXPECT_EQ(EncoderModeFor(1), BE_MP3_MODE_STEREO);
    EXPECT_EQ(EncoderModeFor(2), BE_MP3_MODE_MONO);
    EXPECT_EQ(EncoderModeFor(7), BE_MP3_MODE_STEREO);

    const QString stereo = MakeWave("stereo.wav", {.seconds = 1.0});
    const QString mono = MakeWave("mono.wav", {.channels = 1, .seconds = 1.0});
    for (const auto& [source, mode, channels] :
         {std::tuple{stereo, 2, 1}, {stereo, 0, 2}, {mono, 0, 2}, {mono, 2, 1}}) {
        SCOPED_TRACE(mode);
        DecodedAudio decoded;
        ASSERT_NO_FATAL_FAILURE(EncodeAndDecode(source, mode, &decoded));
        EXPECT_EQ(decoded.channels, channels);
        EXPECT_NEAR(DominantFrequency(Middle(decoded)), 440.0, 440.0 * 0.02);
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

TEST_F(WaveEncoderTest, WhatIsNotAReadableWaveFailsAndWritesNothing) {
    const QByteArray plain = ReadAll(MakeWave("plain.wav", ToneSpec{}));
    ASSERT_FALSE(plain.isEmpty());
    QByteArray threeChannels = plain;
    threeChannels[22] = 3;
    threeChannels[32] = 6;
    const std::pair<const char*, QByteArray> inputs[] = {
        {"text.wav", "plain words, no RIFF at all\n"},
        {"cut.wav", plain.left(40)},
        {"three.wav", threeChannels},
    };
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        const QString wave = m_dir.filePath(name);
        ASSERT_TRUE(WriteBytes(wave, bytes));
        const EncodeResult result = Encode(wave, m_dir.filePath("out.mp3"));
        EXPECT_EQ(result.outcome, EncodeOutcome::Failed);
        EXPECT_EQ(result.message, "Failed to open wave file!");
        EXPECT_FALSE(QFile::exists(m_dir.filePath("out.mp3")));
    }
    const EncodeResult noFolder =
        Encode(m_dir.filePath("plain.wav"), m_dir.filePath("missing/out.mp3"));
    EXPECT_EQ(noFolder.message, "Error creating mp3 file!");
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

} // namespace
