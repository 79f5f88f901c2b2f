// The option file at start-up, and the Options dialog opened from the real
// main window: what O K takes over is what the next batch uses, in both
// directions, without a restart.
#include "BatchTestWindow.h"
#include "ModalDialogs.h"

#include <QComboBox>
#include <QLineEdit>

#include <cstdio>

namespace {

class OptionsWindowTest : public BatchWindowTest {
protected:
    void ChangeOptions(const std::function<void(QDialog*)>& work) {
        WithModal([this] { Click(IDC_OPTIONS); }, work);
    }

    static void SetFolder(QDialog* options, int id, const QString& folder) {
        auto* edit = ChildById<QLineEdit>(options, id);
        ASSERT_NE(edit, nullptr);
        edit->clear();
        QTest::keyClicks(edit, folder);
    }

    // "codec,sample rate,channels,bit rate" of the first stream, as ffprobe sees it.
    static QString StreamOf(const QString& path) {
        QByteArray output;
        EXPECT_TRUE(
            RunTool("ffprobe",
                    {"-v", "error", "-select_streams", "a:0", "-show_entries",
                     "stream=codec_name,sample_rate,channels,bit_rate", "-of", "csv=p=0", path},
                    &output));
        return QString::fromUtf8(output.trimmed());
    }
};

TEST_F(OptionsWindowTest, TheNextBatchesUseWhatOkSaved) {
    OpenWindow();
    const QString mp3Folder = m_folder.filePath("mp3 out");
    ChangeOptions([&](QDialog* options) {
        ClickIn(options, IDC_SAME_FOLDER);
        SetFolder(options, IDC_MP3_FOLDER, mp3Folder + "/");
        ChildById<QComboBox>(options, IDC_BITRATE)->setCurrentIndex(0);
        ClickIn(options, IDC_MONO);
        ClickIn(options, IDC_OK_BUTTON);
    });
    ConvertOptions saved;
    ASSERT_TRUE(LoadOptions(ProgramFolder(), saved));
    EXPECT_EQ(saved.m_strMp3Folder, mp3Folder);
    EXPECT_EQ(saved.m_nBitrate, 320);
    EXPECT_EQ(saved.m_nChannelMode, 2);

    Click(IDC_WAVETOMP3);
    AddRow(MakeWave("voice.wav", Tone(2.0, 440)));
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"Success"}));
    EXPECT_EQ(StreamOf(mp3Folder + "/voice.mp3"), "mp3,44100,1,320000");

    const QString waveFolder = m_folder.filePath("waves");
    ChangeOptions([&](QDialog* options) {
        SetFolder(options, IDC_WAVE_FOLDER, waveFolder);
        ClickIn(options, IDC_OK_BUTTON);
    });
    Click(IDC_MP3TOWAVE);
    m_list->DeleteAllItems();
    AddRow(mp3Folder + "/voice.mp3");
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"Success"}));
    EXPECT_EQ(StreamOf(waveFolder + "/voice.wav"), "pcm_s16le,44100,1,705600");
    EXPECT_TRUE(MessagesShown().isEmpty()) << MessagesShown().join("; ").toStdString();
}

// An option file that can be neither read nor created (its folder missing, or
// a folder in its place) ends the program at start-up after "Init failed!".
TEST(StartUpDeathTest, AnOptionFileThatCannotBeReadOrCreatedGivesInitFailed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("option.opt"));
    for (const QString& programFolder : {folder.path() + "/no/such/folder/", folder.path() + "/"}) {
        SCOPED_TRACE(programFolder.toStdString());
        EXPECT_EXIT(
            {
                MessageBoxSeam::SetObserver([](const RecordedMessage& message) {
                    std::fprintf(stderr, "[%s|%s]\n", qPrintable(message.text),
                                 qPrintable(message.caption));
                });
                CMainDialog dialog(nullptr, programFolder);
                dialog.Create();
                std::fprintf(stderr, "window initialised\n");
            },
            testing::ExitedWithCode(0), "\\[Init failed!\\|Error\\]");
    }
}

} // namespace
