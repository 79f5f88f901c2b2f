// Playing the files of the list through the real main window: the Play button,
// the row menu's "&Play" and "&Stop" and a double click, with real wave and MP3
// files on the test sound server, and playing while a batch runs.
#include "BatchTestWindow.h"
#include "FlatButton.h"
#include "Mp3Play.h"
#include "PlayList.h"
#include "PlayerDialog.h"
#include "SoundControl.h"
#include "SoundServer.h"
#include "WavePlayer.h"

#include <QApplication>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>

#include <functional>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kPlaying = kStatusPlaying;
const char* const kSelectFirst = "Please select a sound file first!|Error";

class PlayListFilesTest : public BatchWindowTest {
protected:
    void SetUp() override {
        BatchWindowTest::SetUp();
        m_server = OurSinkInputs() >= 0;
    }
    void TearDown() override {
        StopWavePlaying();
        SoundControlSeam::SetHoldDecoding(false);
    }

    void Select(int row) { m_list->SetSelectedRow(row); }

    // Whether the player's own control reports a position past `frames` within 5 s.
    static bool PlaysPast(CPlayerDialog* player, int frames) {
        auto* own = player->findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL));
        if (!own)
            return false;
        int heard = 0;
        QObject::connect(own, &CMp3Play::OnProgress, player,
                         [&](int position) { heard = position; });
        const bool played = QTest::qWaitFor([&] { return heard > frames; }, 5000);
        QObject::disconnect(own, &CMp3Play::OnProgress, player, nullptr);
        return played;
    }

    void DoubleClickRow(int row) {
        QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, RowCentre(row));
    }

    // Chooses `text` from the row menu of `row`, as a person does.
    void ChooseFromRowMenu(int row, const QString& text) {
        RightClickRow(row);
        Choose(IDR_ROW_MENU, text);
    }

    // Runs `action`, which must open the player, and `work` on it once it shows.
    void WithPlayer(const std::function<void()>& action,
                    const std::function<void(CPlayerDialog*)>& work) {
        bool worked = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* player = qobject_cast<CPlayerDialog*>(QApplication::activeModalWidget());
            if (!player || worked)
                return;
            worked = true;
            poll.stop();
            work(player);
            if (!QTest::qWaitFor([&] { return !player->isVisible(); }, 5000)) {
                ADD_FAILURE() << "the player stayed open";
                player->reject();
            }
        });
        poll.start();
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(window);
                    dialog && dialog->isVisible() && dialog != m_dialog.get())
                    dialog->reject();
        });
        giveUp.start(20000);
        action();
        EXPECT_TRUE(worked) << "the player never opened";
    }

    static void Press(QWidget* dialog, int id) {
        QWidget* button = dialog->findChild<QWidget*>(QString::number(id));
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The sound server plays `count` streams of ours (checked where a server runs).
    void ExpectStreams(int count) {
        if (m_server) {
            EXPECT_TRUE(WaitForOurSinkInputs(count)) << "streams: " << OurSinkInputs();
        }
    }

    QString AppCaption(const QString& text) const { return text + "|" + ApplicationName(); }

    bool m_server = false;
};

TEST_F(PlayListFilesTest, EveryCommandWithoutASelectionAsksForOne) {
    OpenWindow();
    AddRow(MakeWave("tone.wav"), false);
    Select(-1);
    CHoverStatic* play = m_dialog->Button(IDC_PLAY);
    play->SetBitmap(IDB_PLAY_HOVER);
    Click(IDC_PLAY);
    EXPECT_EQ(play->CurrentBitmap(), IDB_PLAY) << "the Play button keeps its hover picture";
    m_dialog->OnCommand(ID_MENU_PLAY);
    m_dialog->OnCommand(ID_MENU_STOP);
    // A double click below the last row, with nothing selected.
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {},
                       QPoint(20, m_list->viewport()->height() - 5));
    EXPECT_EQ(m_list->GetSelectedRow(), -1);
    EXPECT_EQ(MessagesShown(), QStringList(4, kSelectFirst));
    EXPECT_EQ(Statuses(), QStringList{""});
    EXPECT_FALSE(IsWavePlaying());
}

TEST_F(PlayListFilesTest, AFileOfAnotherKindIsRefusedByPlayStopAndDoubleClick) {
    OpenWindow();
    AddRow(MakeFile("notes.txt", "words"));
    AddRow(MakeFile("tone.wave", "words"));
    Select(0);
    Click(IDC_PLAY);
    ChooseFromRowMenu(1, "&Play");
    ChooseFromRowMenu(1, "&Stop");
    DoubleClickRow(0);
    const QString notSound = AppCaption("The file you selected is not a mp3 file or a wave file!");
    EXPECT_EQ(MessagesShown(), QStringList(4, notSound));
    EXPECT_EQ(Statuses(), (QStringList{"", ""}));
}

TEST_F(PlayListFilesTest, AWaveFileThePlayerCannotPlayIsReportedAndNoMarkMoves) {
    OpenWindow();
    AddRow(MakeWave("good.wav", Tone(5.0, 440)));
    AddRow(MakeFile("text.wav", "not a wave file\n"));
    AddRow(MakeFile("empty.Wav", ""));
    AddRow(Music("missing.wav"));
    Select(0);
    Click(IDC_PLAY);
    ASSERT_EQ(Statuses(), (QStringList{kPlaying, "", "", ""}));
    const QByteArray text = ReadAll(Music("text.wav"));
    for (int row = 1; row <= 3; ++row) {
        Select(row);
        Click(IDC_PLAY);
        DoubleClickRow(row);
    }
    EXPECT_EQ(MessagesShown(), QStringList(6, AppCaption("Can not play wave file!")));
    EXPECT_EQ(Statuses(), (QStringList{kPlaying, "", "", ""}));
    EXPECT_EQ(ReadAll(Music("text.wav")), text);
    EXPECT_EQ(ReadAll(Music("empty.Wav")), QByteArray());
    EXPECT_FALSE(QFile::exists(Music("missing.wav")));
}

TEST_F(PlayListFilesTest, AWaveRowPlaysOnTheServerAndStopEndsIt) {
    OpenWindow();
    const QString wave = MakeWave("Tone.Wav", Tone(5.0, 440));
    const QByteArray bytes = ReadAll(wave);
    AddRow(wave, false);
    ExpectStreams(0);
    Select(0);
    Click(IDC_PLAY);
    EXPECT_EQ(Statuses(), QStringList{kPlaying});
    EXPECT_TRUE(QTest::qWaitFor([] { return IsWavePlaying(); }, 3000));
    ExpectStreams(1);
    ChooseFromRowMenu(0, "&Stop");
    EXPECT_EQ(Statuses(), QStringList{""});
    EXPECT_FALSE(IsWavePlaying());
    ExpectStreams(0);
    EXPECT_TRUE(MessagesShown().isEmpty());
    EXPECT_EQ(ReadAll(wave), bytes);
    EXPECT_EQ(FolderEntries(Music()), QStringList{"Tone.Wav"});
}

TEST_F(PlayListFilesTest, PlayOnTheMarkedRowRestartsItsSoundAndKeepsTheMark) {
    OpenWindow();
    AddRow(MakeWave("short.wav", Tone(0.3, 440)));
    Select(0);
    Click(IDC_PLAY);
    ASSERT_TRUE(QTest::qWaitFor([] { return !IsWavePlaying(); }, 5000));
    // The sound ended by itself: the mark stays, as designed.
    EXPECT_EQ(Statuses(), QStringList{kPlaying});
    Click(IDC_PLAY);
    EXPECT_TRUE(IsWavePlaying()) << "Play did not start the sound again";
    EXPECT_EQ(Statuses(), QStringList{kPlaying});
    ChooseFromRowMenu(0, "&Play");
    EXPECT_TRUE(IsWavePlaying());
    EXPECT_EQ(Statuses(), QStringList{kPlaying});
}

TEST_F(PlayListFilesTest, ADoubleClickTogglesAMarkedWaveRow) {
    OpenWindow();
    AddRow(MakeWave("long.wav", Tone(5.0, 440)));
    AddRow(MakeWave("short.wav", Tone(0.3, 660)));
    DoubleClickRow(0);
    EXPECT_EQ(m_list->GetSelectedRow(), 0);
    EXPECT_EQ(Statuses(), (QStringList{kPlaying, ""}));
    ExpectStreams(1);
    DoubleClickRow(0); // stops it
    EXPECT_EQ(Statuses(), (QStringList{"", ""}));
    EXPECT_FALSE(IsWavePlaying());
    ExpectStreams(0);

    // A marked row whose sound has ended: the double click clears the mark,
    // and the next one plays again.
    DoubleClickRow(1);
    ASSERT_TRUE(QTest::qWaitFor([] { return !IsWavePlaying(); }, 5000));
    EXPECT_EQ(Statuses(), (QStringList{"", kPlaying}));
    DoubleClickRow(1);
    EXPECT_EQ(Statuses(), (QStringList{"", ""}));
    EXPECT_FALSE(IsWavePlaying());
    DoubleClickRow(1);
    EXPECT_EQ(Statuses(), (QStringList{"", kPlaying}));
    EXPECT_TRUE(IsWavePlaying());
    EXPECT_TRUE(MessagesShown().isEmpty());
}

TEST_F(PlayListFilesTest, StopActsOnlyOnTheMarkedRowAndPlayingAnotherMovesTheMark) {
    OpenWindow();
    AddRow(MakeWave("one.wav", Tone(5.0, 440)));
    AddRow(MakeMp3("two.mp3"));
    AddRow(MakeWave("three.WAV", Tone(5.0, 660)));
    Select(0);
    Click(IDC_PLAY);
    ChooseFromRowMenu(1, "&Stop");
    ChooseFromRowMenu(2, "&Stop");
    EXPECT_EQ(Statuses(), (QStringList{kPlaying, "", ""}));
    EXPECT_TRUE(IsWavePlaying());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ChooseFromRowMenu(2, "&Play");
    EXPECT_EQ(Statuses(), (QStringList{"", "", kPlaying}));
    EXPECT_TRUE(IsWavePlaying());
    ExpectStreams(1); // the new sound replaced the old one
    ChooseFromRowMenu(2, "&Stop");
    EXPECT_EQ(Statuses(), (QStringList{"", "", ""}));
    EXPECT_FALSE(IsWavePlaying());
    EXPECT_TRUE(MessagesShown().isEmpty());
}

TEST_F(PlayListFilesTest, AnMp3RowOpensThePlayerWithItsOwnSoundControl) {
    OpenWindow();
    AddRow(MakeWave("wave.wav", Tone(5.0, 440)));
    AddRow(MakeMp3("Song.MP3", Tone(5.0, 660)));
    auto* mainControl = Control<CMp3Play>(IDC_SOUNDCONTROL);
    ASSERT_NE(mainControl, nullptr);
    Select(0);
    Click(IDC_PLAY);
    // Each way into the player: the button, the menu, a double click.
    const std::function<void()> ways[] = {
        [&] {
            Select(1);
            Click(IDC_PLAY);
        },
        [&] { ChooseFromRowMenu(1, "&Play"); },
        [&] { DoubleClickRow(1); },
    };
    for (const auto& way : ways) {
        WithPlayer(way, [&](CPlayerDialog* player) {
            EXPECT_EQ(player->windowTitle(), "Song.MP3 Playing ...");
            EXPECT_EQ(player->findChild<QLabel*>(QString::number(IDC_PLAYER_FILE))->text(),
                      "Song.MP3\nFrom " + Music());
            auto* own = player->findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL));
            ASSERT_NE(own, nullptr);
            EXPECT_NE(own, mainControl);
            EXPECT_GT(own->GetLength(), 100);
            EXPECT_EQ(mainControl->GetLength(), 0) << "the main window's control was used";
            auto* time = player->findChild<QLabel*>(QString::number(IDC_PLAYER_TIME));
            EXPECT_TRUE(QTest::qWaitFor([&] { return !time->text().isEmpty(); }, 3000));
            ExpectStreams(2); // the wave row's sound and the player's
            QTest::keyClick(player, Qt::Key_Escape);
        });
        ExpectStreams(1);
    }
    // The wave row's mark and sound were left alone.
    EXPECT_EQ(Statuses(), (QStringList{kPlaying, ""}));
    EXPECT_TRUE(IsWavePlaying());
    EXPECT_TRUE(MessagesShown().isEmpty());
}

TEST_F(PlayListFilesTest, AnMp3TheControlRefusesIsReportedByThePlayer) {
    OpenWindow();
    AddRow(MakeFile("fake.mp3", "RIFF....WAVEfmt not really"));
    Select(0);
    Click(IDC_PLAY);
    DoubleClickRow(0);
    EXPECT_EQ(MessagesShown(), QStringList(2, "Can not play this mp3 file!|Error"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<CPlayerDialog*>(window) && window->isVisible());
    EXPECT_EQ(Statuses(), QStringList{""});
}

// A wave row plays while a wave batch encodes, the file being played among
// those converted: the batch runs to its end and its MP3s are whole.
TEST_F(PlayListFilesTest, AWaveRowPlaysWhileAWaveBatchEncodes) {
    OpenWindow();
    Click(IDC_WAVETOMP3);
    AddRow(MakeWave("first.wav", Tone(60.0, 440)));
    AddRow(MakeWave("second.wav", Tone(2.0, 880)));
    const QByteArray first = ReadAll(Music("first.wav"));
    Select(0);
    Click(IDC_PLAY); // the sound of the file the batch converts first
    Click(IDC_START);
    auto* fileBar = Control<QProgressBar>(IDC_FILE_PROGRESS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileBar->value() > 0; }, 10000));
    ASSERT_EQ(Statuses(), (QStringList{"", ""})) << "Start clears the statuses";
    EXPECT_TRUE(IsWavePlaying()) << "Start stopped the sound";
    Select(1);
    Click(IDC_PLAY);
    EXPECT_TRUE(fileBar->isVisible()) << "the batch ended before the row was played";
    EXPECT_EQ(Statuses(), (QStringList{"", kPlaying}));
    ExpectStreams(1);
    ASSERT_TRUE(WaitForStatuses({"Success", "Success"}, 120000));
    EXPECT_TRUE(MessagesShown().isEmpty());
    EXPECT_EQ(ReadAll(Music("first.wav")), first);
    for (const auto& [name, seconds] : {std::pair{"first.mp3", 60.0}, {"second.mp3", 2.0}}) {
        bool ok = false;
        const DecodedAudio decoded = DecodeWithFfmpeg(Music(name), &ok);
        ASSERT_TRUE(ok) << name;
        EXPECT_NEAR(decoded.frames(), seconds * 44100, 2 * 1152) << name;
    }
}

// The player opens while the main window's control decodes an MP3 batch (held
// after its first frame, so the two overlap for certain) and plays through its
// own control; closing it leaves the batch's file open on the main window's.
TEST_F(PlayListFilesTest, ThePlayerOpensWhileAnMp3BatchDecodes) {
    OpenWindow();
    AddRow(MakeMp3("batch.mp3", Tone(2.0, 440)));
    AddRow(MakeMp3("listen.mp3", Tone(5.0, 660)), false);
    SoundControlSeam::SetHoldDecoding(true);
    Click(IDC_START);
    auto* mainControl = Control<CMp3Play>(IDC_SOUNDCONTROL);
    const int batchLength = mainControl->GetLength();
    ASSERT_GT(batchLength, 50);
    Select(1);
    WithPlayer([&] { Click(IDC_PLAY); },
               [&](CPlayerDialog* player) {
                   EXPECT_TRUE(PlaysPast(player, 20));
                   ExpectStreams(1);
                   Press(player, IDC_PLAYER_STOP);
               });
    EXPECT_EQ(mainControl->GetLength(), batchLength) << "the batch's file was closed";
    EXPECT_TRUE(Control(IDC_FILE_PROGRESS)->isVisible());
    EXPECT_EQ(Statuses(), (QStringList{"", ""}));
    ExpectStreams(0);
    // Leaving ends the held decoding; nothing is left under the wave's name.
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    m_dialog.reset();
    EXPECT_FALSE(QFile::exists(Music("batch.wav")));
    EXPECT_FALSE(QFile::exists(Music("listen.wav")));
}

// A whole MP3 batch runs through the main window's control while the player
// plays through its own, the file being played among those converted, and the
// player plays on after the batch has ended.
TEST_F(PlayListFilesTest, AnMp3BatchRunsToItsEndWhileThePlayerPlays) {
    OpenWindow();
    AddRow(MakeMp3("one.mp3", Tone(2.0, 440)));
    AddRow(MakeMp3("two.mp3", Tone(1.0, 880)));
    AddRow(MakeMp3("listen.mp3", Tone(5.0, 660)));
    const QByteArray listen = ReadAll(Music("listen.mp3"));
    Select(2);
    WithPlayer([&] { Click(IDC_PLAY); },
               [&](CPlayerDialog* player) {
                   auto* own = player->findChild<CMp3Play*>(QString::number(IDC_PLAYER_CONTROL));
                   ASSERT_NE(own, nullptr);
                   int heard = 0;
                   QObject::connect(own, &CMp3Play::OnProgress,
                                    [&](int position) { heard = position; });
                   ASSERT_TRUE(QTest::qWaitFor([&] { return heard > 5; }, 5000));
                   // The Start button's command, while the player is up.
                   m_dialog->OnCommand(IDC_START);
                   ASSERT_TRUE(WaitForStatuses({"Success", "Success", "Success"}));
                   EXPECT_TRUE(player->isVisible());
                   const int atBatchEnd = heard;
                   EXPECT_TRUE(QTest::qWaitFor([&] { return heard > atBatchEnd + 5; }, 3000))
                       << "the player stopped with the batch";
                   ExpectStreams(1);
                   Press(player, IDC_PLAYER_STOP);
               });
    for (const auto& [name, seconds] :
         {std::pair{"one.wav", 2.0}, {"two.wav", 1.0}, {"listen.wav", 5.0}}) {
        bool ok = false;
        const DecodedAudio decoded = ReadPcmWave(Music(name), &ok);
        ASSERT_TRUE(ok) << name;
        EXPECT_NEAR(decoded.frames(), seconds * 44100, 2 * 1152) << name;
    }
    EXPECT_EQ(ReadAll(Music("listen.mp3")), listen);
    EXPECT_TRUE(MessagesShown().isEmpty());
    ExpectStreams(0);
}

} // namespace
