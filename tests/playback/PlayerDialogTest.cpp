// The MP3 player dialog with real MP3 files on the test sound server: the end
// of the file, every way it closes, and the files it refuses.
#include "PlayerDialog.h"
#include "MessageBox.h"
#include "ModalDialogs.h"
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

namespace {

class PlayerDialogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString MakeMp3(const QString& name, double seconds) {
        EXPECT_TRUE(WriteToneMp3(m_dir.filePath(name), {.seconds = seconds})) << "lame failed";
        return m_dir.filePath(name);
    }

    // Runs the player for `name` modally, and `work` on it once it shows; the
    // result of DoModal.
    int RunPlayer(const QString& name, const std::function<void(CPlayerDialog*)>& work) {
        CPlayerDialog dialog;
        dialog.m_strFileName = name;
        dialog.m_strFileFolder = m_dir.path();
        dialog.m_strFullPath = m_dir.filePath(name);
        QObject::connect(dialog.findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL)),
                         &CMp3Play::OnProgress,
                         [this](int position) { m_positions.push_back(position); });
        int result = -1;
        if (work)
            WithModal([&] { result = dialog.DoModal(); }, [&](QDialog*) { work(&dialog); });
        else
            result = dialog.DoModal();
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
    int LastPosition() const { return m_positions.empty() ? -1 : m_positions.back(); }
    // Skips checks of the sound server where none runs (scripts/test starts one).
    static bool ServerRuns() { return OurSinkInputs() >= 0; }

    QTemporaryDir m_dir;
    std::vector<int> m_positions;
    QString m_title;
    QString m_timeText;
};

// The control plays what a file cut short still holds, as other players do.
TEST_F(PlayerDialogTest, TheEndOfTheFileClosesItByItselfEvenCutShort) {
    const QByteArray whole = ReadAll(MakeMp3("whole.mp3", 2.0));
    ASSERT_TRUE(WriteBytes(m_dir.filePath("cut.mp3"), whole.left(whole.size() / 2 + 77)));
    MakeMp3("short.mp3", 1.0);
    // 77 frames, 2.01 s, of which 1.98 s are music.
    MakeMp3("padded.mp3", 1.98);
    for (const char* name : {"short.mp3", "padded.mp3", "cut.mp3"}) {
        SCOPED_TRACE(name);
        m_positions.clear();
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(RunPlayer(name,
                            [](CPlayerDialog* dialog) {
                                EXPECT_TRUE(
                                    QTest::qWaitFor([&] { return !dialog->isVisible(); }, 8000));
                            }),
                  IDOK);
        EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
        if (name == std::string("padded.mp3")) {
            EXPECT_EQ(LastPosition(), 77);
            EXPECT_EQ(m_timeText, "Time: 00 : 01") << "the clock ran past the music";
        }
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

// Stop answers OK, Esc and the close box cancel; each ends the sound at once,
// playing or paused.
TEST_F(PlayerDialogTest, StopEscAndTheCloseBoxCloseItAndEndTheSound) {
    MakeMp3("tone.mp3", 5.0);
    const bool server = ServerRuns();
    enum { Stop, Esc, CloseBox };
    for (bool paused : {false, true})
        for (int how : {Stop, Esc, CloseBox}) {
            SCOPED_TRACE(std::string(paused ? "paused, " : "playing, ") + char('0' + how));
            m_positions.clear();
            const auto end = [&](CPlayerDialog* dialog) {
                EXPECT_EQ(dialog->windowTitle(), "tone.mp3 Playing ...");
                EXPECT_EQ(Text(dialog, IDC_PLAYER_FILE), "tone.mp3\nFrom " + m_dir.path());
                ASSERT_TRUE(QTest::qWaitFor([&] { return LastPosition() >= 5; }, 5000));
                if (server) {
                    EXPECT_TRUE(WaitForOurSinkInputs(1)) << OurSinkInputs();
                }
                if (paused)
                    Press(dialog, IDC_PLAYER_PAUSE);
                if (how == Stop)
                    Press(dialog, IDC_PLAYER_STOP);
                else if (how == Esc)
                    QTest::keyClick(dialog, Qt::Key_Escape);
                else
                    dialog->close();
                EXPECT_FALSE(dialog->isVisible());
                if (server) {
                    EXPECT_TRUE(WaitForOurSinkInputs(0)) << "a stream was left";
                }
            };
            EXPECT_EQ(RunPlayer("tone.mp3", end), how == Stop ? IDOK : IDCANCEL);
            const int at = LastPosition();
            QCoreApplication::processEvents();
            EXPECT_EQ(LastPosition(), at) << "the sound went on after closing";
        }
}

TEST_F(PlayerDialogTest, FilesTheControlRefusesGiveTheMessageAndNoWindow) {
    ASSERT_TRUE(WriteBytes(m_dir.filePath("text.mp3"), "Not an MP3 file, only a few words.\n"));
    for (const QString name : {"text.mp3", "missing.mp3"}) {
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
        EXPECT_FALSE(everShown);
        ASSERT_EQ(MessageBoxSeam::Recorded().size(), 1u);
        EXPECT_EQ(MessageBoxSeam::Recorded()[0].text, "Can not play this mp3 file!");
        EXPECT_EQ(MessageBoxSeam::Recorded()[0].caption, "Error");
        EXPECT_EQ(m_title, name + " Playing ...");
        EXPECT_TRUE(m_positions.empty());
    }
    if (ServerRuns()) {
        EXPECT_EQ(OurSinkInputs(), 0);
    }
}

} // namespace
