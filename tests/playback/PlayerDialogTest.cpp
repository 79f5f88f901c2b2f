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

#include <algorithm>
#include <functional>
#include <ostream>

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
        EXPECT_TRUE(WriteToneMp3(m_dir.filePath(name), tone)) << "lame failed";
        return m_dir.filePath(name);
    }

    // Runs the player for `name` modally and `work` on it once it shows; the
    // result of DoModal. A dialog `work` leaves open fails the test.
    int RunPlayer(const QString& name, const std::function<void(CPlayerDialog*)>& work,
                  int closeWithinMs = 5000) {
        CPlayerDialog dialog;
        dialog.m_strFileName = name;
        dialog.m_strFileFolder = m_dir.path();
        dialog.m_strFullPath = m_dir.filePath(name);
        auto* control = Player(&dialog);
        EXPECT_NE(control, nullptr);
        if (control)
            QObject::connect(control, &CMp3Play::OnProgress,
                             [this](int position) { m_positions.push_back(position); });
        m_shown = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() != &dialog || m_shown)
                return;
            m_shown = true;
            poll.stop();
            if (work)
                work(&dialog);
            if (!QTest::qWaitFor([&] { return !dialog.isVisible(); }, closeWithinMs)) {
                ADD_FAILURE() << "the player stayed open";
                dialog.reject();
            }
        });
        poll.start(10);
        const int result = dialog.DoModal();
        m_title = dialog.windowTitle();
        m_timeText = Text(&dialog, IDC_PLAYER_TIME);
        return result;
    }

    static CMp3Play* Player(QWidget* dialog) {
        return dialog->findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL));
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
    int LastPosition() const { return m_positions.empty() ? -1 : m_positions.back(); }
    bool WaitForPosition(int position, int timeoutMs = 5000) {
        return QTest::qWaitFor([&] { return LastPosition() >= position; }, timeoutMs);
    }
    // The position stays where it was once the sound has ended.
    void ExpectNoMoreProgress(int ms) {
        const int at = LastPosition();
        QTest::qWait(ms);
        EXPECT_EQ(LastPosition(), at);
    }
    // Skips a test of the sound server where none runs (scripts/test starts one).
    static bool ServerRuns() { return OurSinkInputs() >= 0; }

    QTemporaryDir m_dir;
    std::vector<int> m_positions;
    bool m_shown = false;
    QString m_title;
    QString m_timeText;
};

TEST_F(PlayerDialogTest, ShowsTheFileTheLayoutAndTheRealPlayingTime) {
    MakeMp3("a.mp3", 3.0);
    const int result = RunPlayer("a.mp3", [this](CPlayerDialog* dialog) {
        EXPECT_EQ(Text(dialog, IDC_PLAYER_TIME), "");
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
        ASSERT_NE(Player(dialog), nullptr);
        EXPECT_FALSE(Player(dialog)->isVisible());
        QWidget* play = dialog->findChild<QWidget*>(QString::number(IDC_PLAYER_PLAY));
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->focusWidget() == play; }, 3000));
        // Bitmap 144 at its own size beside the file text.
        bool picture = false;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            picture = picture || (!label->pixmap().isNull() && label->size() == QSize(19, 18) &&
                                  label->pos() == QPoint(24, 31));
        EXPECT_TRUE(picture);

        ASSERT_TRUE(
            QTest::qWaitFor([&] { return Text(dialog, IDC_PLAYER_TIME) == "Time: 00 : 01"; }, 5000))
            << Text(dialog, IDC_PLAYER_TIME).toStdString();
        EXPECT_GE(LastPosition(), 39); // 39 frames of 26.12 ms are past the first second
        // The exact unit of this 44.1 kHz file: 2300 frames are 60.08 s.
        for (const auto& [frames, text] :
             {std::pair{2300, "Time: 01 : 00"}, std::pair{230000, "Time: 100 : 08"}}) {
            emit Player(dialog)->OnProgress(frames);
            EXPECT_EQ(Text(dialog, IDC_PLAYER_TIME), text);
        }
        Press(dialog, IDC_PLAYER_STOP);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
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
        Press(dialog, IDC_PLAYER_PLAY); // changes nothing while playing
        ASSERT_TRUE(WaitForPosition(paused + 10));
        Press(dialog, IDC_PLAYER_STOP);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(std::is_sorted(m_positions.begin(), m_positions.end()));
}

// The control plays what a file cut short still holds, as other players do.
TEST_F(PlayerDialogTest, TheEndOfTheFileClosesItByItselfEvenCutShort) {
    const QByteArray whole = ReadAll(MakeMp3("whole.mp3", 2.0));
    ASSERT_TRUE(WriteBytes(m_dir.filePath("cut.mp3"), whole.left(whole.size() / 2 + 77)));
    MakeMp3("short.mp3", 1.0);
    for (const char* name : {"short.mp3", "cut.mp3"}) {
        SCOPED_TRACE(name);
        m_positions.clear();
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(RunPlayer(name, nullptr, 8000), IDOK);
        EXPECT_TRUE(m_shown);
        EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
        if (name == std::string("short.mp3")) {
            EXPECT_GE(clock.elapsed(), 800) << "it closed before the sound was heard";
            EXPECT_EQ(m_timeText, "Time: 00 : 01");
            if (ServerRuns()) {
                EXPECT_TRUE(WaitForOurSinkInputs(0));
            }
        }
    }
    EXPECT_EQ(ReadAll(m_dir.filePath("cut.mp3")).size(), whole.size() / 2 + 77);
    // 2 s cut in half: about a second, the time of the frames it really holds.
    EXPECT_NEAR(LastPosition(), 38, 3);
    EXPECT_EQ(m_timeText, PlayingTimeText(PlayingSeconds(LastPosition(), 1152 * 1000.0 / 44100)));
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
    ExpectNoMoreProgress(400);
}

TEST_F(PlayerDialogTest, EscAndTheCloseBoxCloseItAndEndTheSound) {
    MakeMp3("tone.mp3", 5.0);
    const bool server = ServerRuns();
    for (bool paused : {false, true})
        for (bool esc : {true, false}) {
            SCOPED_TRACE(std::string(paused ? "paused, " : "playing, ") + (esc ? "Esc" : "close"));
            m_positions.clear();
            const auto end = [&](CPlayerDialog* dialog) {
                ASSERT_TRUE(WaitForPosition(5));
                if (paused)
                    Press(dialog, IDC_PLAYER_PAUSE);
                if (server && esc) {
                    EXPECT_TRUE(WaitForOurSinkInputs(1));
                }
                if (esc)
                    QTest::keyClick(dialog, Qt::Key_Escape);
                else
                    dialog->close();
                EXPECT_FALSE(dialog->isVisible());
                if (server) {
                    EXPECT_TRUE(WaitForOurSinkInputs(0)) << "a stream was left";
                }
            };
            EXPECT_EQ(RunPlayer("tone.mp3", end), IDCANCEL);
            if (!esc)
                ExpectNoMoreProgress(300);
        }
}

TEST_F(PlayerDialogTest, FilesTheControlRefusesGiveTheMessageAndNoWindow) {
    const QString wave = m_dir.filePath("wave.wav");
    ASSERT_TRUE(WriteToneWave(wave, ToneSpec()));
    QByteArray random(20000, '\0');
    quint32 seed = 12345;
    for (char& byte : random) {
        seed = seed * 1103515245u + 12345u;
        byte = char(seed >> 24);
    }
    const std::pair<QString, QByteArray> files[] = {
        {"text.mp3", "This is not an MP3 file, only a few words of text.\n"},
        {"riff.mp3", ReadAll(wave)},
        {"random.mp3", random},
        {"empty.mp3", QByteArray()},
        {"header.mp3", ReadAll(MakeMp3("good.mp3", 1.0)).left(3)},
    };
    QStringList names;
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(WriteBytes(m_dir.filePath(name), bytes));
        names << name;
    }
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
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
                everShown |= qobject_cast<CPlayerDialog*>(window) && window->isVisible();
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
        EXPECT_EQ(ReadAll(m_dir.filePath(name)), bytes) << name.toStdString();
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    if (ServerRuns()) {
        EXPECT_EQ(OurSinkInputs(), 0);
    }
}

} // namespace
