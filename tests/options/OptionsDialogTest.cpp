// The Options dialog worked as a person would, with clicks and keys: what O K
// saves, what it refuses, and the settings a failed save leaves alone.
#include "OptionsDialog.h"
#include "EncodedOptions.h"
#include "ModalDialogs.h"
#include "SmallDisk.h"
#include "TestFiles.h"
#include "resource.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class OptionsDialogTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_options.SetDefaults(m_dir.path());
    }

    // Opens the dialog over `m_options`, with option.opt in `programFolder`.
    void Open(const QString& programFolder = QString()) {
        m_dialog = std::make_unique<COptionsDialog>(
            nullptr, programFolder.isEmpty() ? Folder() : programFolder);
        m_dialog->m_options = m_options;
        ASSERT_TRUE(m_dialog->Create());
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }

    template <typename T = QWidget> T* Control(int id) const {
        T* control = m_dialog->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    void Click(int id) { QTest::mouseClick(Control(id), Qt::LeftButton); }
    void Type(int id, const QString& text) {
        Control<QLineEdit>(id)->clear();
        QTest::keyClicks(Control(id), text);
    }

    QString Folder() const { return m_dir.path() + "/"; }
    QString OptionFile() const { return OptionFilePath(Folder()); }
    bool Ended() const { return !m_dialog->isVisible(); }

    QTemporaryDir m_dir;
    ConvertOptions m_options;
    std::unique_ptr<COptionsDialog> m_dialog;
};

TEST_F(OptionsDialogTest, EmptyFoldersAreRefusedOnlyWithoutSameFolder) {
    m_options.m_bSameFolder = 0;
    m_options.m_strWaveFolder.clear();
    m_options.m_strMp3Folder.clear();
    ASSERT_TRUE(WriteBytes(OptionFile(), "old"));
    Open();
    Click(IDC_OK_BUTTON);
    Type(IDC_WAVE_FOLDER, " ");
    Click(IDC_OK_BUTTON);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(ErrorTextsShown(),
              QStringList({"Please input destination directory name(Mp3 To Wave)!",
                           "Please input destination directory name(Wave To Mp3)!"}));
    EXPECT_EQ(ReadAll(OptionFile()), "old");

    Type(IDC_WAVE_FOLDER, "");
    Click(IDC_SAME_FOLDER);
    Click(IDC_OK_BUTTON);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(m_dialog->m_options.m_strWaveFolder + m_dialog->m_options.m_strMp3Folder, "");
    EXPECT_EQ(ErrorTextsShown().size(), 2);
}

TEST_F(OptionsDialogTest, AFailedSaveKeepsTheOldFileAndTheDialogOpen) {
    const QString disk = m_dir.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    SmallDisk small;
    MOUNT_SMALL_DISK(small, disk, "size=64k")
    const QString programFolder = disk + "/";
    const QByteArray old = Encode(m_options);
    ASSERT_TRUE(WriteBytes(OptionFilePath(programFolder), old));
    QFile filler(disk + "/filler");
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) {
    }
    filler.close();

    Open(programFolder);
    Click(IDC_MONO);
    Click(IDC_OK_BUTTON);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(ErrorTextsShown(), QStringList{"Save option file error!"});
    EXPECT_EQ(ReadAll(OptionFilePath(programFolder)), old);
    EXPECT_EQ(FolderEntries(disk), QStringList({"filler", "option.opt"}));

    m_dialog->close();
    Open(m_dir.filePath("gone") + "/");
    Click(IDC_OK_BUTTON);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(ErrorTextsShown().last(), "Save to option file error!");
    EXPECT_EQ(m_dialog->m_options, m_options);
}

} // namespace
