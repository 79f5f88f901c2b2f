// CMp3Play as the windows use it: a hidden control found by its id, driven
// through the calls and events the callers rely on.
#include "Mp3Play.h"
#include "SoundFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(Mp3Play, DecodesLikeTheConversionStepCallsIt) {
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("song.mp3");
    ASSERT_TRUE(WriteToneMp3(mp3, {.seconds = 2.0, .frequency = 1000.0}));
    QWidget window;
    auto* control = new CMp3Play(&window);
    control->setObjectName("1000");
    ASSERT_EQ(window.findChild<CMp3Play*>("1000"), control);
    EXPECT_TRUE(control->isHidden());

    std::vector<int> positions;
    int finished = 0;
    bool onUiThread = true;
    QObject::connect(control, &CMp3Play::OnProgress, [&](int v) {
        positions.push_back(v);
        onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
    });
    // The main window closes the control when it finishes, as the batch does.
    QObject::connect(control, &CMp3Play::OnFinished, [&] {
        ++finished;
        control->Close();
    });

    ASSERT_EQ(control->Open(mp3, ""), 0); // measuring at Start
    const int length = control->GetLength();
    control->Close();
    const QString wave = dir.filePath("song.wav");
    ASSERT_EQ(control->Open(mp3, wave), 0);
    EXPECT_EQ(control->GetLength(), length);
    EXPECT_EQ(int(control->GetUnitMs()), 26);
    control->Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished > 0; }, 20000)) << "no OnFinished";
    QTest::qWait(300);
    EXPECT_EQ(finished, 1);
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), length);
    EXPECT_TRUE(onUiThread);

    bool ok = false;
    const DecodedAudio decoded = ReadPcmWave(wave, &ok);
    ASSERT_TRUE(ok);
    EXPECT_NEAR(DominantFrequency(decoded), 1000.0, 10.0);
    EXPECT_NEAR(double(decoded.frames()), 2.0 * 44100, 1.0);
}

TEST(Mp3Play, ReportsErrorsAsEventThreeAndRefusesAWaveSource) {
    QTemporaryDir dir;
    const QString wave = dir.filePath("tone.wav");
    ASSERT_TRUE(WriteToneWave(wave, ToneSpec{}));
    CMp3Play control;
    // A ".wav" row in the MP3 direction with the same-folder option: its own destination.
    const short result = control.Open(wave, wave);
    EXPECT_NE(result, 0);
    EXPECT_NE(result, 712);

    const QString mp3 = dir.filePath("cut.mp3");
    ASSERT_TRUE(WriteToneMp3(mp3, {.seconds = 2.0}));
    std::vector<int> codes;
    QStringList texts;
    QObject::connect(&control, &CMp3Play::OnError, [&](int code, const QString& text) {
        codes.push_back(code);
        texts << text;
    });
    ASSERT_EQ(control.Open(mp3, dir.filePath("cut.wav")), 0);
    QFile(mp3).resize(QFileInfo(mp3).size() / 3);
    control.Run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !codes.empty(); }, 20000)) << "no event 3";
    EXPECT_NE(codes.front(), 0);
    EXPECT_FALSE(texts.front().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("cut.wav")));
}

} // namespace
