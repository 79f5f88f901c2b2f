// Playing the list's files on the test sound server, also while a batch runs.
#include "BatchTestWindow.h"
#include "FlatButton.h"
#include "Mp3Play.h"
#include "PlayList.h"
#include "PlayerDialog.h"
#include "SoundControl.h"
#include "SoundServer.h"
#include "WavePlayer.h"

#include <QTimer>

#include <functional>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kPlaying = kStatusPlaying;
using L = QStringList;

class PlayListFilesTest : public BatchWindowTest {
protected:
    void SetUp() override {
        BatchWindowTest::SetUp();
        m_server = OurSinkInputs() >= 0;
        if (!HasFatalFailure())
            OpenWindow();
    }
    void TearDown() override {
        StopWavePlaying();
        SoundControlSeam::SetHoldDecoding(false);
    }

    void Select(int row) { m_list->SetSelectedRow(row); }
    void PlayRow(int row) {
        Select(row);
        Click(IDC_PLAY);
    }
    void DoubleClickRow(int row) {
        QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, RowCentre(row));
    }
    void ChooseFromRowMenu(int row, const QString& text) {
        RightClickRow(row);
        Choose(IDR_ROW_MENU, text);
    }
    static CMp3Play* OwnControl(CPlayerDialog* player) {
        return ChildById<CMp3Play>(player, IDC_PLAYER_CONTROL);
    }
    // m_heard follows the position the player's own control reports.
    void Follow(CPlayerDialog* player) {
        QObject::connect(OwnControl(player), &CMp3Play::OnProgress, player,
                         [this](int position) { m_heard = position; });
    }
    // Each file's length in frames, as `decode` reads it, within two MP3 frames.
    void ExpectLengths(DecodedAudio (*decode)(const QString&, bool*),
                       std::initializer_list<std::pair<const char*, double>> files) {
        for (const auto& [name, seconds] : files) {
            bool ok = false;
            const DecodedAudio decoded = decode(Music(name), &ok);
            ASSERT_TRUE(ok) << name;
            EXPECT_NEAR(decoded.frames(), seconds * 44100, 2 * 1152) << name;
        }
    }

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

    // Checked only where a sound server runs.
    void ExpectStreams(int count) {
        if (m_server)
            EXPECT_TRUE(WaitForOurSinkInputs(count)) << "streams: " << OurSinkInputs();
    }

    void ExpectPlaying(bool playing, const QStringList& statuses) {
        EXPECT_EQ(IsWavePlaying(), playing);
        EXPECT_EQ(Statuses(), statuses);
    }

    QString AppCaption(const QString& text) const { return text + "|" + ApplicationName(); }

    bool m_server = false;
    int m_heard = 0;
};

TEST_F(PlayListFilesTest, EveryCommandWithoutASelectionAsksForOne) {
    AddRow(MakeWave("tone.wav"), false);
    Select(-1);
    CHoverStatic* play = m_dialog->Button(IDC_PLAY);
    play->SetBitmap(IDB_PLAY_HOVER);
    Click(IDC_PLAY);
    EXPECT_EQ(play->CurrentBitmap(), IDB_PLAY) << "the Play button keeps its hover picture";
    m_dialog->OnCommand(ID_MENU_PLAY);
    m_dialog->OnCommand(ID_MENU_STOP);
    // Below the last row, where a double click selects nothing.
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {},
                       QPoint(20, m_list->viewport()->height() - 5));
    EXPECT_EQ(m_list->GetSelectedRow(), -1);
    EXPECT_EQ(MessagesShown(), L(4, "Please select a sound file first!|Error"));
    ExpectPlaying(false, {""});
}

TEST_F(PlayListFilesTest, AFileOfAnotherKindIsRefusedByPlayStopAndDoubleClick) {
    AddRow(MakeFile("notes.txt", "words"));
    AddRow(MakeFile("tone.wave", "words"));
    PlayRow(0);
    ChooseFromRowMenu(1, "&Play");
    ChooseFromRowMenu(1, "&Stop");
    DoubleClickRow(0);
    EXPECT_EQ(MessagesShown(),
              L(4, AppCaption("The file you selected is not a mp3 file or a wave file!")));
    EXPECT_EQ(Statuses(), (L{"", ""}));
}

TEST_F(PlayListFilesTest, AWaveFileThePlayerCannotPlayIsReportedAndNoMarkMoves) {
    AddRow(MakeWave("good.wav", Tone(5.0, 440)));
    AddRow(MakeFile("text.wav", "not a wave file\n"));
    AddRow(MakeFile("empty.Wav", ""));
    AddRow(Music("missing.wav"));
    PlayRow(0);
    ASSERT_EQ(Statuses(), (L{kPlaying, "", "", ""}));
    const QByteArray text = ReadAll(Music("text.wav"));
    for (int row = 1; row <= 3; ++row) {
        PlayRow(row);
        DoubleClickRow(row);
    }
    EXPECT_EQ(MessagesShown(), L(6, AppCaption("Can not play wave file!")));
    EXPECT_EQ(Statuses(), (L{kPlaying, "", "", ""}));
    EXPECT_EQ(ReadAll(Music("text.wav")), text);
    EXPECT_EQ(ReadAll(Music("empty.Wav")), QByteArray());
    EXPECT_FALSE(QFile::exists(Music("missing.wav")));
}

TEST_F(PlayListFilesTest, AWaveRowPlaysOnTheServerAndStopEndsIt) {
    const QString wave = MakeWave("Tone.Wav", Tone(5.0, 440));
    const QByteArray bytes = ReadAll(wave);
    AddRow(wave, false);
    ExpectStreams(0);
    PlayRow(0);
    EXPECT_EQ(Statuses(), L{kPlaying});
    EXPECT_TRUE(QTest::qWaitFor([] { return IsWavePlaying(); }, 3000));
    ExpectStreams(1);
    ChooseFromRowMenu(0, "&Stop");
    ExpectPlaying(false, {""});
    ExpectStreams(0);
    EXPECT_TRUE(MessagesShown().isEmpty());
    EXPECT_EQ(ReadAll(wave), bytes);
    EXPECT_EQ(FolderEntries(Music()), L{"Tone.Wav"});
}

TEST_F(PlayListFilesTest, PlayOnTheMarkedRowRestartsItsSoundAndKeepsTheMark) {
    AddRow(MakeWave("short.wav", Tone(0.3, 440)));
    PlayRow(0);
    ASSERT_TRUE(QTest::qWaitFor([] { return !IsWavePlaying(); }, 5000));
    EXPECT_EQ(Statuses(), L{kPlaying}) << "a sound that ends by itself keeps its mark";
    Click(IDC_PLAY);
    EXPECT_TRUE(IsWavePlaying()) << "Play did not start the sound again";
    EXPECT_EQ(Statuses(), L{kPlaying});
    ChooseFromRowMenu(0, "&Play");
    ExpectPlaying(true, {kPlaying});
}

TEST_F(PlayListFilesTest, ADoubleClickTogglesAMarkedWaveRow) {
    AddRow(MakeWave("long.wav", Tone(5.0, 440)));
    AddRow(MakeWave("short.wav", Tone(0.3, 660)));
    DoubleClickRow(0);
    EXPECT_EQ(m_list->GetSelectedRow(), 0);
    EXPECT_EQ(Statuses(), (L{kPlaying, ""}));
    ExpectStreams(1);
    DoubleClickRow(0);
    ExpectPlaying(false, {"", ""});
    ExpectStreams(0);
    // Once its sound has ended, a double click clears the mark and the next plays again.
    DoubleClickRow(1);
    ASSERT_TRUE(QTest::qWaitFor([] { return !IsWavePlaying(); }, 5000));
    EXPECT_EQ(Statuses(), (L{"", kPlaying}));
    DoubleClickRow(1);
    ExpectPlaying(false, {"", ""});
    DoubleClickRow(1);
    ExpectPlaying(true, {"", kPlaying});
    EXPECT_TRUE(MessagesShown().isEmpty());
}

TEST_F(PlayListFilesTest, StopActsOnlyOnTheMarkedRowAndPlayingAnotherMovesTheMark) {
    AddRow(MakeWave("one.wav", Tone(5.0, 440)));
    AddRow(MakeMp3("two.mp3"));
    AddRow(MakeWave("three.WAV", Tone(5.0, 660)));
    PlayRow(0);
    ChooseFromRowMenu(1, "&Stop");
    ChooseFromRowMenu(2, "&Stop");
    ExpectPlaying(true, {kPlaying, "", ""});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ChooseFromRowMenu(2, "&Play");
    ExpectPlaying(true, {"", "", kPlaying});
    ExpectStreams(1); // the new sound replaced the old one
    ChooseFromRowMenu(2, "&Stop");
    ExpectPlaying(false, {"", "", ""});
    EXPECT_TRUE(MessagesShown().isEmpty());
}

TEST_F(PlayListFilesTest, AnMp3RowOpensThePlayerWithItsOwnSoundControl) {
    AddRow(MakeWave("wave.wav", Tone(5.0, 440)));
    AddRow(MakeMp3("Song.MP3", Tone(5.0, 660)));
    auto* mainControl = Control<CMp3Play>(IDC_SOUNDCONTROL);
    ASSERT_NE(mainControl, nullptr);
    PlayRow(0);
    const std::function<void()> ways[] = {
        [&] { PlayRow(1); },
        [&] { ChooseFromRowMenu(1, "&Play"); },
        [&] { DoubleClickRow(1); },
    };
    for (const auto& way : ways) {
        WithPlayer(way, [&](CPlayerDialog* player) {
            EXPECT_EQ(player->windowTitle(), "Song.MP3 Playing ...");
            EXPECT_EQ(ChildById<QLabel>(player, IDC_PLAYER_FILE)->text(),
                      "Song.MP3\nFrom " + Music());
            auto* own = OwnControl(player);
            ASSERT_NE(own, nullptr);
            EXPECT_NE(own, mainControl);
            EXPECT_GT(own->GetLength(), 100);
            EXPECT_EQ(mainControl->GetLength(), 0) << "the main window's control was used";
            auto* time = ChildById<QLabel>(player, IDC_PLAYER_TIME);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !time->text().isEmpty(); }, 3000));
            ExpectStreams(2); // the wave row's sound and the player's
            QTest::keyClick(player, Qt::Key_Escape);
        });
        ExpectStreams(1);
    }
    ExpectPlaying(true, {kPlaying, ""}); // the wave row was left alone
    EXPECT_TRUE(MessagesShown().isEmpty());
}

TEST_F(PlayListFilesTest, AnMp3TheControlRefusesIsReportedByThePlayer) {
    AddRow(MakeFile("fake.mp3", "RIFF....WAVEfmt not really"));
    PlayRow(0);
    DoubleClickRow(0);
    EXPECT_EQ(MessagesShown(), L(2, "Can not play this mp3 file!|Error"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<CPlayerDialog*>(window) && window->isVisible());
    EXPECT_EQ(Statuses(), L{""});
}

// The file being played is among those the batch converts; its MP3s must be whole.
TEST_F(PlayListFilesTest, AWaveRowPlaysWhileAWaveBatchEncodes) {
    Click(IDC_WAVETOMP3);
    AddRow(MakeWave("first.wav", Tone(60.0, 440)));
    AddRow(MakeWave("second.wav", Tone(2.0, 880)));
    const QByteArray first = ReadAll(Music("first.wav"));
    PlayRow(0);
    Click(IDC_START);
    auto* fileBar = Control<QProgressBar>(IDC_FILE_PROGRESS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileBar->value() > 0; }, 10000));
    ASSERT_EQ(Statuses(), (L{"", ""})) << "Start clears the statuses";
    EXPECT_TRUE(IsWavePlaying()) << "Start stopped the sound";
    PlayRow(1);
    EXPECT_TRUE(fileBar->isVisible()) << "the batch ended before the row was played";
    EXPECT_EQ(Statuses(), (L{"", kPlaying}));
    ExpectStreams(1);
    ASSERT_TRUE(WaitForStatuses({"Success", "Success"}, 120000));
    EXPECT_TRUE(MessagesShown().isEmpty());
    EXPECT_EQ(ReadAll(Music("first.wav")), first);
    ExpectLengths(DecodeWithFfmpeg, {{"first.mp3", 60.0}, {"second.mp3", 2.0}});
}

// The batch's decoding is held after its first frame, so that the two overlap
// for certain; closing the player must leave the batch's file open.
TEST_F(PlayListFilesTest, ThePlayerOpensWhileAnMp3BatchDecodes) {
    AddRow(MakeMp3("batch.mp3", Tone(2.0, 440)));
    AddRow(MakeMp3("listen.mp3", Tone(5.0, 660)), false);
    SoundControlSeam::SetHoldDecoding(true);
    Click(IDC_START);
    auto* mainControl = Control<CMp3Play>(IDC_SOUNDCONTROL);
    const int batchLength = mainControl->GetLength();
    ASSERT_GT(batchLength, 50);
    WithPlayer([&] { PlayRow(1); },
               [&](CPlayerDialog* player) {
                   ASSERT_NE(OwnControl(player), nullptr);
                   Follow(player);
                   EXPECT_TRUE(QTest::qWaitFor([&] { return m_heard > 20; }, 5000));
                   ExpectStreams(1);
                   ClickIn(player, IDC_PLAYER_STOP);
               });
    EXPECT_EQ(mainControl->GetLength(), batchLength) << "the batch's file was closed";
    EXPECT_TRUE(Control(IDC_FILE_PROGRESS)->isVisible());
    EXPECT_EQ(Statuses(), (L{"", ""}));
    ExpectStreams(0);
    // Leaving ends the held decoding; nothing is left under the wave's name.
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    m_dialog.reset();
    EXPECT_FALSE(QFile::exists(Music("batch.wav")));
    EXPECT_FALSE(QFile::exists(Music("listen.wav")));
}

// The file being played is among those converted, and plays on after the batch.
TEST_F(PlayListFilesTest, AnMp3BatchRunsToItsEndWhileThePlayerPlays) {
    AddRow(MakeMp3("one.mp3", Tone(2.0, 440)));
    AddRow(MakeMp3("two.mp3", Tone(1.0, 880)));
    AddRow(MakeMp3("listen.mp3", Tone(5.0, 660)));
    const QByteArray listen = ReadAll(Music("listen.mp3"));
    WithPlayer([&] { PlayRow(2); },
               [&](CPlayerDialog* player) {
                   ASSERT_NE(OwnControl(player), nullptr);
                   Follow(player);
                   ASSERT_TRUE(QTest::qWaitFor([&] { return m_heard > 5; }, 5000));
                   m_dialog->OnCommand(IDC_START); // Start's command, with the player up
                   ASSERT_TRUE(WaitForStatuses({"Success", "Success", "Success"}));
                   EXPECT_TRUE(player->isVisible());
                   const int atBatchEnd = m_heard;
                   EXPECT_TRUE(QTest::qWaitFor([&] { return m_heard > atBatchEnd + 5; }, 3000))
                       << "the player stopped with the batch";
                   ExpectStreams(1);
                   ClickIn(player, IDC_PLAYER_STOP);
               });
    ExpectLengths(ReadPcmWave, {{"one.wav", 2.0}, {"two.wav", 1.0}, {"listen.wav", 5.0}});
    EXPECT_EQ(ReadAll(Music("listen.mp3")), listen);
    EXPECT_TRUE(MessagesShown().isEmpty());
    ExpectStreams(0);
}

} // namespace
