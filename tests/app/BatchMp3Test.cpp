// MP3-to-wave batches on the real main window, with full disks and failing rows.
#include "BatchTestWindow.h"
#include "SmallDisk.h"

namespace {

using BatchMp3Test = BatchWindowTest;

// With the same-folder option a ".wav" row's destination is its own source:
// the control refuses it, and the file stays as it was. It still counts in N.
TEST_F(BatchMp3Test, AWaveRowIsRefusedAndLeftIntact) {
    OpenWindow();
    AddRow(MakeWave("keep.wav"));
    AddRow(MakeMp3("tone.mp3"));
    const QByteArray before = ReadAll(Music("keep.wav"));
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"failed", "Success"}));
    EXPECT_EQ(ReadAll(Music("keep.wav")), before);
    EXPECT_TRUE(TitlesSeen().contains("2  of  1  files"));
}

TEST_F(BatchMp3Test, NoDiskSpaceFailsEveryRowFromTheCurrentOne) {
    const QString disk = m_folder.filePath("small");
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("small"));
    SmallDisk small;
    MOUNT_SMALL_DISK(small, disk, "size=600k")
    m_options.m_bSameFolder = 0;
    m_options.m_strWaveFolder = disk;
    OpenWindow();
    const ToneSpec shortTone = Tone(1.0, 440); // about 176 KB of wave
    AddRow(MakeMp3("a.mp3", shortTone));
    AddRow(MakeMp3("b.mp3", Tone(3.0, 440))); // about 530 KB, more than is left after a
    AddRow(MakeMp3("c.mp3", shortTone), false);
    AddRow(MakeMp3("d.mp3", shortTone));
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"Success", "failed", "failed", "failed"}));
    EXPECT_EQ(MessagesShown(), QStringList{"You have not enough disk space!|Error"});
    EXPECT_EQ(m_dialog->windowTitle(), "Brindle 2.17");
    EXPECT_FALSE(Control(IDC_BATCH_PROGRESS)->isVisible());
    EXPECT_EQ(FolderEntries(disk), QStringList{"a.wav"});
}

// The control fails after Run (here: no inode left for the wave file): the
// row is "failed" and the batch goes on.
TEST_F(BatchMp3Test, AFailureAfterRunMarksTheRowAndGoesOn) {
    const QString disk = m_folder.filePath("full");
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("full"));
    SmallDisk small;
    MOUNT_SMALL_DISK(small, disk, "size=8m,nr_inodes=4")
    OpenWindow();
    ASSERT_TRUE(WriteToneMp3(disk + "/stuck.mp3", ToneSpec()));
    for (int i = 0; i < 8; ++i)
        QFile(disk + QString("/filler%1").arg(i)).open(QIODevice::WriteOnly);
    ASSERT_FALSE(QFile(disk + "/probe").open(QIODevice::WriteOnly)) << "inodes left";
    AddRow(disk + "/stuck.mp3");
    AddRow(MakeMp3("fine.mp3"));
    Click(IDC_START);
    ASSERT_TRUE(WaitForStatuses({"failed", "Success"}));
    ASSERT_TRUE(WaitForTitleBack());
    EXPECT_TRUE(QFile::exists(Music("fine.wav")));
    EXPECT_FALSE(QFile::exists(disk + "/stuck.wav"));
}

// Each failing row hands over to the next without nesting a call per row.
TEST_F(BatchMp3Test, TwentyThousandFailingRowsRunThrough) {
    OpenWindow();
    const QString bad = MakeFile("bad.mp3", "only text in here\n");
    constexpr int kRows = 20000;
    std::vector<std::unique_ptr<CItemDataBase>> records;
    for (int i = 0; i < kRows; ++i)
        records.push_back(std::make_unique<CSoundFileItem>("bad.mp3", Music()));
    m_list->InsertItems(0, std::move(records));
    m_list->SetCheckAll(true);
    Click(IDC_START);
    ASSERT_EQ(m_list->GetItemCount(), kRows);
    EXPECT_EQ(Statuses(), QStringList(kRows, "failed"));
    EXPECT_EQ(m_dialog->windowTitle(), "Brindle 2.17");
    EXPECT_EQ(FolderEntries(Music()), QStringList{"bad.mp3"});
}

} // namespace
