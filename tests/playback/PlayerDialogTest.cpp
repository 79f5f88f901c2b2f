// The MP3 player dialog with real MP3 files on the test sound server: what it
// shows, the time display, Play, Pause and Stop, every way it closes, and the
// files it refuses.
#include "PlayerDialog.h"
#include "FlatButton.h"
#include "MessageBox.h"
#include "Mp3Play.h"
#include "PlayingTime.h"
#include "SoundFiles.h"
#include "SoundServer.h"
#include "TestFiles.h"
#include "resource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

class PlayerDialogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString MakeMp3(const QString& name, double seconds) {
        ToneSpec tone;
        tone.seconds = seconds;
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(WriteToneMp3(path, tone)) << "lame failed";
        return path;
    }

    // Runs the player for `name` in the test folder modally and `work` on it once
    // it shows; the result of DoModal. A dialog `work` leaves open fails the test.
    int RunPlayer(const QString& name, const std::function<void(CPlayerDialog*)>& work,
                  int closeWithinMs = 5000) {
        CPlayerDialog dialog;
        dialog.m_strFileName = name;
        dialog.m_strFileFolder = m_dir.path();
        dialog.m_strFullPath = m_dir.filePath(name);
        auto* control = dialog.findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL));
        EXPECT_NE(control, nullptr);
        if (control)
            QObject::connect(control, &CMp3Play::OnProgress,
                             [this](int position) { m_positions.push_back(position); });
        m_shown = false;
        bool worked = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() != &dialog || worked)
                return;
            m_shown = true;
            worked = true;
            poll.stop();
            if (work)
                work(&dialog);
            if (!QTest::qWaitFor([&] { return !dialog.isVisible(); }, closeWithinMs)) {
                ADD_FAILURE() << "the player stayed open";
                dialog.reject();
            }
        });
        poll.start();
        const int result = dialog.DoModal();
        m_title = dialog.windowTitle();
        m_timeText = Text(&dialog, IDC_PLAYER_TIME);
        return result;
    }

    static QString Text(QWidget* dialog, int id) {
        auto* label = dialog->findChild<QLabel*>(QString::number(id));
        return label ? label->text() : QString("(no control %1)").arg(id);
    }

    static void Press(QWidget* dialog, int id) {
        QWidget* button = dialog->findChild<QWidget*>(QString::number(id));
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static void EmitProgress(QWidget* dialog, int position) {
        emit dialog->findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL))
            ->OnProgress(position);
    }

    int LastPosition() const { return m_positions.empty() ? -1 : m_positions.back(); }

    bool WaitForPosition(int position, int timeoutMs = 5000) {
        return QTest::qWaitFor([&] { return LastPosition() >= position; }, timeoutMs);
    }

    // Skips a test of the sound server where none runs (scripts/test starts one).
    static bool ServerRuns() { return OurSinkInputs() >= 0; }

    QTemporaryDir m_dir;
    std::vector<int> m_positions;
    bool m_shown = false;
    QString m_title;
    QString m_timeText;
};

TEST_F(PlayerDialogTest, ShowsTheFileTheCaptionsAndTheTemplatesLayout) {
    MakeMp3("a.mp3", 3.0);
    const int result = RunPlayer("a.mp3", [this](CPlayerDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "a.mp3 Playing ...");
        EXPECT_EQ(dialog->objectName(), QString::number(IDD_PLAYER));
        EXPECT_EQ(Text(dialog, IDC_PLAYER_FILE), "a.mp3\nFrom " + m_dir.path());
        EXPECT_EQ(dialog->size(), QSize(272, 138));
        const std::pair<int, const char*> buttons[] = {
            {IDC_PLAYER_PLAY, "Play"}, {IDC_PLAYER_PAUSE, "Pause"}, {IDC_PLAYER_STOP, "Stop"}};
        for (const auto& [id, caption] : buttons) {
            auto* button = dialog->findChild<CFlatButton*>(QString::number(id));
            ASSERT_NE(button, nullptr) << id;
            EXPECT_EQ(button->Caption(), caption);
            EXPECT_EQ(button->size(), QSize(51, 18));
            EXPECT_TRUE(button->isVisible());
        }
        auto* control = dialog->findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL));
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(control->isVisible());
        // The focus goes to the first tab stop once the window is active.
        QWidget* play = dialog->findChild<QWidget*>(QString::number(IDC_PLAYER_PLAY));
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->focusWidget() == play; }, 3000));
        // The picture beside the file text: bitmap 144 at its own size.
        bool picture = false;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            picture = picture || (!label->pixmap().isNull() && label->size() == QSize(19, 18) &&
                                  label->pos() == QPoint(24, 31));
        EXPECT_TRUE(picture);
        Press(dialog, IDC_PLAYER_STOP);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
}

TEST_F(PlayerDialogTest, TheTimeRunsWithTheRealPlayingTime) {
    MakeMp3("tone.mp3", 3.0);
    RunPlayer("tone.mp3", [this](CPlayerDialog* dialog) {
        EXPECT_EQ(Text(dialog, IDC_PLAYER_TIME), "");
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return Text(dialog, IDC_PLAYER_TIME) == "Time: 00 : 01"; }, 5000))
            << Text(dialog, IDC_PLAYER_TIME).toStdString();
        // 39 frames of 26.12 ms are past the first second.
        EXPECT_GE(LastPosition(), 39);
        // The exact unit of this 44.1 kHz file: 2300 frames are 60.08 s.
        EmitProgress(dialog, 2300);
        EXPECT_EQ(Text(dialog, IDC_PLAYER_TIME), "Time: 01 : 00");
        EmitProgress(dialog, 230000);
        EXPECT_EQ(Text(dialog, IDC_PLAYER_TIME), "Time: 100 : 08");
        Press(dialog, IDC_PLAYER_STOP);
    });
}

TEST_F(PlayerDialogTest, PauseHoldsThePositionAndPlayContinuesFromIt) {
    MakeMp3("tone.mp3", 3.0);
    const int result = RunPlayer("tone.mp3", [this](CPlayerDialog* dialog) {
        ASSERT_TRUE(WaitForPosition(20));
        Press(dialog, IDC_PLAYER_PAUSE);
        QTest::qWait(300);
        const int paused = LastPosition();
        const QString pausedTime = Text(dialog, IDC_PLAYER_TIME);
        QTest::qWait(700);
        EXPECT_EQ(LastPosition(), paused) << "the time ran on while paused";
        EXPECT_EQ(Text(dialog, IDC_PLAYER_TIME), pausedTime);
        EXPECT_TRUE(dialog->isVisible());
        const size_t before = m_positions.size();
        Press(dialog, IDC_PLAYER_PLAY);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_positions.size() > before; }, 3000));
        EXPECT_GE(m_positions[before], paused) << "playing went back to the start";
        EXPECT_LE(m_positions[before], paused + 15);
        // Play while playing changes nothing.
        Press(dialog, IDC_PLAYER_PLAY);
        ASSERT_TRUE(WaitForPosition(paused + 10));
        Press(dialog, IDC_PLAYER_STOP);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(std::is_sorted(m_positions.begin(), m_positions.end()));
}

TEST_F(PlayerDialogTest, TheEndOfTheFileClosesItByItself) {
    MakeMp3("short.mp3", 1.0);
    QElapsedTimer clock;
    clock.start();
    const int result = RunPlayer("short.mp3", nullptr, 8000);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(m_shown);
    EXPECT_GE(clock.elapsed(), 800) << "it closed before the sound was heard";
    EXPECT_EQ(m_timeText, "Time: 00 : 01");
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
    if (ServerRuns()) {
        EXPECT_TRUE(WaitForOurSinkInputs(0));
    }
}

TEST_F(PlayerDialogTest, TheSoundReachesTheServerAndStopLeavesNoStream) {
    if (!ServerRuns())
        GTEST_SKIP() << "no sound server (scripts/test starts one)";
    MakeMp3("tone.mp3", 5.0);
    ASSERT_TRUE(WaitForOurSinkInputs(0));
    const int result = RunPlayer("tone.mp3", [this](CPlayerDialog* dialog) {
        EXPECT_TRUE(WaitForOurSinkInputs(1)) << OurSinkInputs();
        ASSERT_TRUE(WaitForPosition(5));
        Press(dialog, IDC_PLAYER_STOP);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(WaitForOurSinkInputs(0)) << "a stream was left after Stop";
    });
    EXPECT_EQ(result, IDOK);
    const int stoppedAt = LastPosition();
    QTest::qWait(400);
    EXPECT_EQ(LastPosition(), stoppedAt);
}

TEST_F(PlayerDialogTest, EscAndTheCloseBoxCloseItAndEndTheSound) {
    MakeMp3("tone.mp3", 5.0);
    const bool server = ServerRuns();
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        int result = RunPlayer("tone.mp3", [&](CPlayerDialog* dialog) {
            ASSERT_TRUE(WaitForPosition(5));
            if (paused)
                Press(dialog, IDC_PLAYER_PAUSE);
            if (server) {
                EXPECT_TRUE(WaitForOurSinkInputs(1));
            }
            QTest::keyClick(dialog, Qt::Key_Escape);
            EXPECT_FALSE(dialog->isVisible());
            if (server) {
                EXPECT_TRUE(WaitForOurSinkInputs(0)) << "a stream was left after Esc";
            }
        });
        EXPECT_EQ(result, IDCANCEL);
        m_positions.clear();
        result = RunPlayer("tone.mp3", [&](CPlayerDialog* dialog) {
            ASSERT_TRUE(WaitForPosition(5));
            if (paused)
                Press(dialog, IDC_PLAYER_PAUSE);
            dialog->close();
            EXPECT_FALSE(dialog->isVisible());
            if (server) {
                EXPECT_TRUE(WaitForOurSinkInputs(0)) << "a stream was left after closing";
            }
        });
        EXPECT_EQ(result, IDCANCEL);
        const int closedAt = LastPosition();
        QTest::qWait(300);
        EXPECT_EQ(LastPosition(), closedAt);
        m_positions.clear();
    }
}

TEST_F(PlayerDialogTest, FilesTheControlRefusesGiveTheMessageAndNoWindow) {
    const QString wave = m_dir.filePath("wave.wav");
    ToneSpec tone;
    ASSERT_TRUE(WriteToneWave(wave, tone));
    QByteArray random(20000, '\0');
    quint32 seed = 12345;
    for (char& byte : random) {
        seed = seed * 1103515245u + 12345u;
        byte = char(seed >> 24);
    }
    const QString mp3 = MakeMp3("good.mp3", 1.0);
    const std::pair<const char*, QByteArray> files[] = {
        {"text.mp3", "This is not an MP3 file, only a few words of text.\n"},
        {"riff.mp3", ReadAll(wave)},
        {"random.mp3", random},
        {"empty.mp3", QByteArray()},
        {"header.mp3", ReadAll(mp3).left(3)},
    };
    for (const auto& [name, bytes] : files)
        ASSERT_TRUE(WriteBytes(m_dir.filePath(name), bytes));
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    QStringList names;
    for (const auto& [name, bytes] : files)
        names << name;
    names << "missing.mp3"
          << "folder.mp3";
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.mp3"));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        MessageBoxSeam::Reset();
        MessageBoxSeam::SetStandingAnswer(IDOK);
        bool everShown = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                everShown =
                    everShown || (qobject_cast<CPlayerDialog*>(window) && window->isVisible());
        });
        watch.start(1);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(RunPlayer(name, nullptr), IDCANCEL);
        watch.stop();
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_FALSE(m_shown);
        EXPECT_FALSE(everShown);
        ASSERT_EQ(MessageBoxSeam::Recorded().size(), 1u);
        EXPECT_EQ(MessageBoxSeam::Recorded()[0].text, "Can not play this mp3 file!");
        EXPECT_EQ(MessageBoxSeam::Recorded()[0].caption, "Error");
        EXPECT_EQ(m_title, name + " Playing ...");
        EXPECT_TRUE(m_positions.empty());
    }
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadAll(m_dir.filePath(name)), bytes) << name;
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    if (ServerRuns()) {
        EXPECT_EQ(OurSinkInputs(), 0);
    }
}

// The control plays what a file cut short still holds, as other players do,
// and the player closes at its end.
TEST_F(PlayerDialogTest, AFileCutShortPlaysWhatItHoldsAndCloses) {
    const QByteArray whole = ReadAll(MakeMp3("whole.mp3", 2.0));
    ASSERT_TRUE(WriteBytes(m_dir.filePath("cut.mp3"), whole.left(whole.size() / 2 + 77)));
    const int result = RunPlayer("cut.mp3", nullptr, 8000);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(m_shown);
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
    EXPECT_EQ(ReadAll(m_dir.filePath("cut.mp3")).size(), whole.size() / 2 + 77);
    // 2 s cut in half: about a second, the time of the frames it really holds.
    EXPECT_NEAR(LastPosition(), 38, 3);
    EXPECT_EQ(m_timeText, PlayingTimeText(PlayingSeconds(LastPosition(), 1152 * 1000.0 / 44100)));
}

} // namespace
