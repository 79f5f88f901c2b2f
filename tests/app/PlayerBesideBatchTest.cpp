// The MP3 player beside a running MP3 batch: each has a sound control of its
// own, so the player's events never reach the batch, nor the batch's the player.
#include "BatchTestWindow.h"
#include "ModalDialogs.h"
#include "Mp3Play.h"
#include "SoundControl.h"

#include <functional>

namespace {

class PlayerBesideBatchTest : public BatchWindowTest {
protected:
    void SetUp() override {
        BatchWindowTest::SetUp();
        if (!HasFatalFailure())
            OpenWindow();
    }
    void TearDown() override { SoundControlSeam::SetHoldDecoding(false); }

    // Opens the player on `row` and runs `work` once it plays, with m_heard
    // following the position its own control reports.
    void WithPlayer(int row, const std::function<void(QDialog*)>& work) {
        m_list->SetSelectedRow(row);
        WithModal([this] { Click(IDC_PLAY); },
                  [&](QDialog* player) {
                      auto* own = ChildById<CMp3Play>(player, IDC_PLAYER_CONTROL);
                      ASSERT_NE(own, nullptr);
                      EXPECT_NE(own, Control<CMp3Play>(IDC_SOUNDCONTROL));
                      QObject::connect(own, &CMp3Play::OnProgress, player,
                                       [this](int position) { m_heard = position; });
                      ASSERT_TRUE(QTest::qWaitFor([&] { return m_heard > 5; }, 5000))
                          << "the player never played";
                      work(player);
                  });
    }

    int m_heard = 0;
};

// The batch's decoding is held after its first frame, so that the two overlap
// for certain; the player opening, playing and closing leaves the batch's
// file open and its rows as they were.
TEST_F(PlayerBesideBatchTest, ThePlayerComesAndGoesWhileAnMp3BatchDecodes) {
    AddRow(MakeMp3("batch.mp3", Tone(2.0, 440)));
    AddRow(MakeMp3("listen.mp3", Tone(5.0, 660)), false);
    SoundControlSeam::SetHoldDecoding(true);
    Click(IDC_START);
    auto* batchControl = Control<CMp3Play>(IDC_SOUNDCONTROL);
    const int batchLength = batchControl->GetLength();
    ASSERT_GT(batchLength, 50);
    WithPlayer(1, [&](QDialog* player) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_heard > 20; }, 5000));
        ClickIn(player, IDC_PLAYER_STOP);
    });
    EXPECT_EQ(batchControl->GetLength(), batchLength) << "the batch's file was closed";
    EXPECT_TRUE(Control(IDC_FILE_PROGRESS)->isVisible());
    EXPECT_EQ(Statuses(), (QStringList{"", ""}));
    // Leaving ends the held decoding; nothing is left under the wave's name.
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    m_dialog.reset();
    EXPECT_FALSE(QFile::exists(Music("batch.wav")));
    EXPECT_FALSE(QFile::exists(Music("listen.wav")));
}

// The file being played is among those converted, and plays on after the batch.
TEST_F(PlayerBesideBatchTest, AnMp3BatchRunsToItsEndWhileThePlayerPlays) {
    AddRow(MakeMp3("one.mp3", Tone(2.0, 440)));
    AddRow(MakeMp3("two.mp3", Tone(1.0, 880)));
    AddRow(MakeMp3("listen.mp3", Tone(5.0, 660)));
    const QByteArray listen = ReadAll(Music("listen.mp3"));
    WithPlayer(2, [&](QDialog* player) {
        m_dialog->OnCommand(IDC_START); // Start's command, with the player up
        ASSERT_TRUE(WaitForStatuses({"Success", "Success", "Success"}));
        EXPECT_TRUE(player->isVisible());
        const int atBatchEnd = m_heard;
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_heard > atBatchEnd + 5; }, 3000))
            << "the player stopped with the batch";
        ClickIn(player, IDC_PLAYER_STOP);
    });
    for (const auto& [name, seconds] :
         {std::pair{"one.wav", 2.0}, std::pair{"two.wav", 1.0}, std::pair{"listen.wav", 5.0}}) {
        bool ok = false;
        EXPECT_NEAR(ReadPcmWave(Music(name), &ok).frames(), seconds * 44100, 2 * 1152) << name;
        EXPECT_TRUE(ok) << name;
    }
    EXPECT_EQ(ReadAll(Music("listen.mp3")), listen);
    EXPECT_TRUE(MessagesShown().isEmpty()) << MessagesShown().join("; ").toStdString();
}

} // namespace
