// Wave-to-MP3 batches on the real main window, their output checked with ffmpeg.
#include "BatchTestWindow.h"
#include "SoundListCtrl.h"
#include "SoundServer.h"
#include "WavePlayer.h"

#include <QMap>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class BatchWaveTest : public BatchWindowTest {
protected:
    void TearDown() override { StopWavePlaying(); }

    void OpenWaveWindow() {
        OpenWindow();
        Click(IDC_WAVETOMP3);
    }

    void PlayRow(int row) {
        m_list->SetSelectedRow(row);
        Click(IDC_PLAY);
    }

    // Opens the window with MP3s going to `folder` instead of beside their
    // sources, and adds a checked row for each wave file named.
    void OpenWithMp3Folder(const QString& folder, bool autoCreate, const QStringList& waves) {
        m_options.m_bSameFolder = 0;
        m_options.m_bAutoCreate = autoCreate;
        m_options.m_strMp3Folder = folder;
        OpenWaveWindow();
        for (const QString& name : waves)
            AddRow(MakeWave(name));
    }
};

TEST_F(BatchWaveTest, NonRiffTruncatedAndPipeWavesFailAndTheBatchGoesOn) {
    OpenWaveWindow();
    const QByteArray canonical = ReadAll(MakeWave("whole.wav"));
    // A pipe with no writer would block a plain open for ever.
    const QString pipe = Music("pipe.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString badFiles[] = {MakeFile("words.wav", "plain words, not RIFF\n"),
                                MakeFile("cut.wav", canonical.left(30)), pipe};
    for (const QString& bad : badFiles) {
        SCOPED_TRACE(bad.toStdString());
        MessageBoxSeam::Reset();
        MessageBoxSeam::SetStandingAnswer(IDOK);
        QFile::remove(Music("whole.mp3"));
        m_list->DeleteAllItems();
        AddRow(bad);
        AddRow(Music("whole.wav"));
        Click(IDC_START);
        ASSERT_TRUE(WaitForStatuses({"Failed", "Success"}));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !Control(IDC_BATCH_PROGRESS)->isVisible(); }, 5000));
        EXPECT_EQ(MessagesShown(), QStringList{"Failed to open wave file!|Error"});
        EXPECT_EQ(m_dialog->windowTitle(), "Brindle 2.17");
        EXPECT_TRUE(TitlesSeen().contains("2  of  2  files"));
        EXPECT_FALSE(QFile::exists(QString(bad).replace(".wav", ".mp3")));
        EXPECT_TRUE(QFile::exists(Music("whole.mp3")));
    }
}

// The window shows the batch stopped: bars hidden, counter gone, title back, restored.
TEST_F(BatchWaveTest, AnUnwritableDestinationStopsTheBatchVisibly) {
    m_options.m_bMinimize = 1;
    OpenWaveWindow();
    AddRow(MakeWave("first.wav"));
    AddRow(MakeWave("second.wav"));
    ASSERT_TRUE(QDir(Music()).mkdir("first.mp3"));
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"Failed", ""}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_dialog->isMinimized(); }, 5000));
    EXPECT_EQ(MessagesShown(), QStringList{"Error creating mp3 file!|Error"});
    EXPECT_FALSE(Control(IDC_BATCH_PROGRESS)->isVisible());
    EXPECT_FALSE(Control(IDC_FILE_PROGRESS)->isVisible());
    EXPECT_EQ(Control<QLabel>(IDC_STATUS_LABEL)->text(), "");
    EXPECT_EQ(m_dialog->windowTitle(), "Brindle 2.17");
    EXPECT_FALSE(QFile::exists(Music("second.mp3")));
}

// The batch follows the row it converts, whatever happens to the list while
// it does: the change is made while the worker waits in its first progress
// call, so the first file is certainly still being converted.
class BatchFollowTest : public BatchWaveTest {
protected:
    void SetUp() override {
        BatchWaveTest::SetUp();
        OpenWaveWindow();
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            AddRow(MakeWave(name, Tone(1.0, 440)));
    }

    void StartAndMidwayThroughTheFirstFile(const std::function<void()>& change) {
        auto* fileBar = Control<QProgressBar>(IDC_FILE_PROGRESS);
        bool changed = false;
        QObject::connect(fileBar, &QProgressBar::valueChanged, m_dialog.get(), [&](int value) {
            if (value > 0 && !changed) {
                changed = true;
                change();
            }
        });
        Click(IDC_START);
        ASSERT_TRUE(QTest::qWaitFor([&] { return changed && !fileBar->isVisible(); }, 30000));
    }

    QMap<QString, QString> StatusByName() const {
        QMap<QString, QString> statuses;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            statuses[m_list->GetItemText(row, CSoundListCtrl::COLUMN_NAME)] =
                m_list->GetItemText(row, CSoundListCtrl::COLUMN_STATUS);
        return statuses;
    }
};

TEST_F(BatchFollowTest, AMovedRowGetsItsStatusAndTheBatchGoesOnAfterIt) {
    StartAndMidwayThroughTheFirstFile([&] {
        m_list->SetSelectedRow(0);
        Click(IDC_MOVE_DOWN); // b a c
    });
    EXPECT_EQ(StatusByName(),
              (QMap<QString, QString>{{"a.wav", "Success"}, {"b.wav", ""}, {"c.wav", "Success"}}));
    EXPECT_FALSE(QFile::exists(Music("b.mp3"))) << "b moved above the batch's row";
    EXPECT_TRUE(QFile::exists(Music("c.mp3")));
}

TEST_F(BatchFollowTest, ADeletedRowLosesOnlyItsStatus) {
    StartAndMidwayThroughTheFirstFile([&] { m_list->DeleteItem(0); });
    EXPECT_EQ(StatusByName(), (QMap<QString, QString>{{"b.wav", "Success"}, {"c.wav", "Success"}}));
    EXPECT_EQ(FolderEntries(Music()).filter(".mp3"), QStringList({"a.mp3", "b.mp3", "c.mp3"}));
}

TEST_F(BatchWaveTest, UncheckedRowsArePassedOverAndMp3RowsFail) {
    OpenWaveWindow();
    AddRow(MakeMp3("song.mp3"));
    AddRow(MakeWave("skipped.wav"), false);
    AddRow(MakeWave("taken.wav"));
    AddRow(MakeMp3("late.mp3"));
    Click(IDC_START);
    EXPECT_EQ(Statuses(), (QStringList{"Failed", "", "", "Failed"}));
    ASSERT_TRUE(WaitForStatuses({"Failed", "", "Success", "Failed"}));
    ASSERT_TRUE(WaitForTitleBack());
    EXPECT_EQ(TitlesSeen(), (QStringList{"1  of  1  files", "Brindle 2.17"}));
    EXPECT_FALSE(QFile::exists(Music("skipped.mp3")));
    EXPECT_TRUE(QFile::exists(Music("taken.mp3")));
}

TEST_F(BatchWaveTest, MissingFolderIsCreatedWhenAutoCreateIsOn) {
    OpenWithMp3Folder(m_folder.filePath("out folder é"), true, {"a b.wav", "c.wav"});
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"Success", "Success"}));
    EXPECT_TRUE(QFile::exists(m_options.m_strMp3Folder + "/a b.mp3"));
    EXPECT_TRUE(QFile::exists(m_options.m_strMp3Folder + "/c.mp3"));
    EXPECT_TRUE(MessagesShown().isEmpty());
}

TEST_F(BatchWaveTest, MissingFolderWithoutAutoCreateAsksOncePerFile) {
    OpenWithMp3Folder(m_folder.filePath("out"), false, {"a.wav", "b.wav"});
    const QString question = "Destination folder doesn't exist, do you want to create it?|Message";

    for (int i = 0; i < 2; ++i)
        MessageBoxSeam::QueueAnswer(IDCANCEL);
    Click(IDC_START);
    EXPECT_EQ(Statuses(), (QStringList{"Failed", "Failed"}));
    EXPECT_EQ(MessagesShown(), (QStringList{question, question}));
    EXPECT_FALSE(QFileInfo::exists(m_options.m_strMp3Folder));
    EXPECT_EQ(m_dialog->windowTitle(), "Brindle 2.17");

    MessageBoxSeam::Reset();
    MessageBoxSeam::QueueAnswer(IDOK);
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"Success", "Success"}));
    EXPECT_EQ(MessagesShown(), QStringList{question}) << "asked until answered OK";
    EXPECT_TRUE(QFile::exists(m_options.m_strMp3Folder + "/b.mp3"));
}

TEST_F(BatchWaveTest, AFolderThatCannotBeCreatedFailsEachRow) {
    OpenWithMp3Folder(m_folder.filePath("no/such/out"), true, {"a.wav", "b.wav"});
    Click(IDC_START);
    EXPECT_EQ(Statuses(), (QStringList{"Failed", "Failed"}));
    EXPECT_EQ(MessagesShown(), QStringList(2, "Can not create folder!|Error"));
}

// The file being played is among those the batch converts; its MP3s must be whole.
TEST_F(BatchWaveTest, AWaveRowPlaysWhileTheBatchEncodes) {
    const bool server = OurSinkInputs() >= 0;
    OpenWaveWindow();
    AddRow(MakeWave("first.wav", Tone(60.0, 440)));
    AddRow(MakeWave("second.wav", Tone(2.0, 880)));
    const QByteArray first = ReadAll(Music("first.wav"));
    PlayRow(0);
    Click(IDC_START);
    auto* fileBar = Control<QProgressBar>(IDC_FILE_PROGRESS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileBar->value() > 0; }, 10000));
    ASSERT_EQ(Statuses(), (QStringList{"", ""})) << "Start clears the statuses";
    EXPECT_TRUE(IsWavePlaying()) << "Start stopped the sound";
    PlayRow(1);
    EXPECT_TRUE(fileBar->isVisible()) << "the batch ended before the row was played";
    EXPECT_EQ(Statuses(), (QStringList{"", kStatusPlaying}));
    if (server) { // checked only where a sound server runs
        EXPECT_TRUE(WaitForOurSinkInputs(1)) << "streams: " << OurSinkInputs();
    }
    ASSERT_TRUE(WaitForStatuses({"Success", "Success"}, 120000));
    EXPECT_TRUE(MessagesShown().isEmpty());
    EXPECT_EQ(ReadAll(Music("first.wav")), first);
    for (const auto& [name, seconds] :
         {std::pair{"first.mp3", 60.0}, std::pair{"second.mp3", 2.0}}) {
        bool ok = false;
        const DecodedAudio decoded = DecodeWithFfmpeg(Music(name), &ok);
        ASSERT_TRUE(ok) << name;
        EXPECT_EQ(decoded.frames(), seconds * 44100) << name << ": not gapless";
    }
}

// Esc mid-batch ends the window, and the worker with it: nothing is left of
// the MP3 it was writing.
TEST_F(BatchWaveTest, EscWhileEncodingEndsTheWindowAndLeavesNoMp3) {
    OpenWaveWindow();
    AddRow(MakeWave("long.wav", Tone(300, 440)));
    Click(IDC_START);
    auto* fileBar = Control<QProgressBar>(IDC_FILE_PROGRESS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileBar->value() > 0; }, 10000));
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    m_dialog.reset();
    EXPECT_EQ(FolderEntries(Music()), QStringList{"long.wav"});
}

using BatchExitTest = BatchWaveTest;

TEST_F(BatchExitTest, ExitWhileEncodingEndsWithStatusZeroAndNoMp3) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again from the start: it takes the parent's
    // folder from the environment, so that the parent can look into it.
    const QByteArray inherited = qgetenv("BRINDLE_EXIT_TEST_FOLDER");
    const QString folder = inherited.isEmpty() ? Music() : QString::fromUtf8(inherited);
    if (inherited.isEmpty()) {
        MakeWave("long.wav", Tone(300, 440));
        qputenv("BRINDLE_EXIT_TEST_FOLDER", folder.toUtf8());
    }
    EXPECT_EXIT(
        {
            OpenWaveWindow();
            AddRow(folder + "/long.wav");
            Click(IDC_START);
            auto* fileBar = Control<QProgressBar>(IDC_FILE_PROGRESS);
            if (!QTest::qWaitFor([&] { return fileBar->value() > 0; }, 10000))
                std::_Exit(3);
            Click(IDC_EXIT);
            std::_Exit(4);
        },
        testing::ExitedWithCode(0), "");
    qunsetenv("BRINDLE_EXIT_TEST_FOLDER");
    EXPECT_EQ(FolderEntries(folder), QStringList{"long.wav"});
}

} // namespace
