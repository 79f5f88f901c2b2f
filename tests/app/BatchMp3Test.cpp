// MP3-to-wave batches on the real main window: the batch bar over several files,
// full disks and failing rows.
#include "BatchTestWindow.h"
#include "Mp3Play.h"
#include "SmallDisk.h"

namespace {

using BatchMp3Test = BatchWindowTest;

// The batch bar runs once over both files' lengths, and the counter names
// each file in turn.
TEST_F(BatchMp3Test, TwoFilesDecodeWithTheBatchBarOverTheirLengths) {
    OpenWindow();
    const std::pair<QString, double> files[] = {{"one.mp3", 1.0}, {"two.MP3", 2.0}};
    int total = 0;
    for (const auto& [name, seconds] : files) {
        AddRow(MakeMp3(name, Tone(seconds, 500)));
        CMp3Play control;
        EXPECT_EQ(control.Open(Music(name), QString()), 0) << name.toStdString();
        total += control.GetLength();
    }
    auto* batchBar = Control<QProgressBar>(IDC_BATCH_PROGRESS);
    std::vector<int> batchValues;
    QObject::connect(batchBar, &QProgressBar::valueChanged,
                     [&](int value) { batchValues.push_back(value); });

    Click(IDC_START);
    EXPECT_TRUE(batchBar->isVisible());
    EXPECT_EQ(batchBar->maximum(), total);
    ASSERT_TRUE(WaitForStatuses({"Success", "Success"}));
    ASSERT_TRUE(WaitForTitleBack());
    EXPECT_EQ(TitlesSeen(), (QStringList{"1  of  2  files", "2  of  2  files", "Brindle 2.17"}));
    EXPECT_FALSE(batchBar->isVisible());
    ASSERT_FALSE(batchValues.empty());
    EXPECT_TRUE(std::is_sorted(batchValues.begin(), batchValues.end()));
    EXPECT_EQ(batchValues.back(), total);
    for (const auto& [name, seconds] : files) {
        bool ok = false;
        const DecodedAudio decoded = ReadPcmWave(Music(QFileInfo(name).baseName() + ".wav"), &ok);
        ASSERT_TRUE(ok) << name.toStdString();
        EXPECT_NEAR(decoded.frames(), seconds * 44100, 2 * 1152) << name.toStdString();
    }
}

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
