// The Options dialog worked as a person would, with clicks and keys: what it
// shows, what O K saves, and what every other way out leaves alone.
#include "OptionsDialog.h"
#include "EncodedOptions.h"
#include "FlatButton.h"
#include "FolderPicker.h"
#include "MessageBox.h"
#include "ModalDialogs.h"
#include "SmallDisk.h"
#include "TestFiles.h"
#include "resource.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
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

TEST_F(OptionsDialogTest, ShowsTheSettingsAndSameFolderTogglesTheFolderControls) {
    Open();
    EXPECT_EQ(m_dialog->windowTitle(), "Options");
    EXPECT_EQ(m_dialog->size(), QSize(359, 301));
    for (const auto& [id, caption] : {std::pair{IDC_OK_BUTTON, "O K"},
                                      {IDC_CANCEL_BUTTON, "Cancel"},
                                      {IDC_BROWSE_WAVE_FOLDER, "Browse"},
                                      {IDC_BROWSE_MP3_FOLDER, "Browse"}})
        EXPECT_EQ(Control<CFlatButton>(id)->Caption(), caption);
    EXPECT_EQ(Control<QLineEdit>(IDC_WAVE_FOLDER)->text(), m_dir.path() + "/WavFile");
    EXPECT_EQ(Control<QLineEdit>(IDC_MP3_FOLDER)->text(), m_dir.path() + "/Mp3File");
    EXPECT_TRUE(Control<QCheckBox>(IDC_SAME_FOLDER)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(IDC_AUTO_CREATE)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(IDC_MINIMIZE_CONVERTING)->isChecked());
    EXPECT_EQ(Control<QComboBox>(IDC_BITRATE)->count(), 14);
    EXPECT_EQ(Control<QComboBox>(IDC_BITRATE)->currentText(), "128 kBit/s,44100Hz");
    EXPECT_TRUE(Control<QRadioButton>(IDC_DUAL_STEREO)->isChecked());

    for (bool sameFolder : {true, false, true}) {
        SCOPED_TRACE(sameFolder ? "same folder" : "own folders");
        for (int id : {IDC_WAVE_FOLDER, IDC_MP3_FOLDER, IDC_AUTO_CREATE})
            EXPECT_EQ(Control(id)->isEnabled(), !sameFolder) << id;
        for (int id : {IDC_BROWSE_WAVE_FOLDER, IDC_BROWSE_MP3_FOLDER})
            EXPECT_TRUE(Control(id)->isEnabled()) << id;
        Click(IDC_SAME_FOLDER);
    }
}

TEST_F(OptionsDialogTest, TabWalksTheControlsInTemplateOrderFromOK) {
    m_options.m_bSameFolder = 0; // every control enabled
    Open();
    const QList<int> order = {
        IDC_OK_BUTTON,           IDC_CANCEL_BUTTON, IDC_SAME_FOLDER,        IDC_WAVE_FOLDER,
        IDC_MP3_FOLDER,          IDC_AUTO_CREATE,   IDC_BROWSE_WAVE_FOLDER, IDC_BROWSE_MP3_FOLDER,
        IDC_MINIMIZE_CONVERTING, IDC_BITRATE,       IDC_DUAL_STEREO,        IDC_OK_BUTTON};
    for (int id : order) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus->objectName(), QString::number(id));
        QTest::keyClick(focus, Qt::Key_Tab);
    }
}

TEST_F(OptionsDialogTest, OkSavesWhatTheControlsHold) {
    m_options.m_bSameFolder = 0;
    Open();
    Type(IDC_WAVE_FOLDER, "/music//");
    Type(IDC_MP3_FOLDER, "/");
    Click(IDC_AUTO_CREATE);
    Click(IDC_MINIMIZE_CONVERTING);
    Click(IDC_MONO);
    Control<QComboBox>(IDC_BITRATE)->setCurrentIndex(12);
    EXPECT_EQ(Control<QComboBox>(IDC_BITRATE)->currentText(), "40 kBit/s,44100Hz");
    Click(IDC_OK_BUTTON);

    ASSERT_TRUE(Ended());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    const ConvertOptions expected{"/music/", "/", 0, 0, 40, 1, 2};
    EXPECT_EQ(m_dialog->m_options, expected);
    EXPECT_EQ(ReadAll(OptionFile()), Encode(expected));
    EXPECT_TRUE(ErrorTextsShown().isEmpty());
}

TEST_F(OptionsDialogTest, ValuesOutsideTheChoicesShowAsDefaultsOrNothing) {
    m_options.m_nBitrate = 44;
    m_options.m_nChannelMode = 5;
    Open();
    EXPECT_EQ(Control<QComboBox>(IDC_BITRATE)->currentText(), "128 kBit/s,44100Hz");
    for (int id : {IDC_DUAL_STEREO, IDC_STEREO, IDC_MONO})
        EXPECT_FALSE(Control<QRadioButton>(id)->isChecked()) << id;
    Click(IDC_OK_BUTTON);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(m_dialog->m_options.m_nBitrate, 128);
    EXPECT_EQ(m_dialog->m_options.m_nChannelMode, -1);
}

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

TEST_F(OptionsDialogTest, EnterEscAndCancelEndWithoutSaving) {
    ASSERT_TRUE(WriteBytes(OptionFile(), "old"));
    m_options.m_bSameFolder = 0;
    struct Way {
        const char* name;
        std::function<void()> end;
        QDialog::DialogCode result;
    };
    const std::vector<Way> ways = {
        {"Enter in an edit", [this] { QTest::keyClick(Control(IDC_WAVE_FOLDER), Qt::Key_Return); },
         QDialog::Accepted},
        {"Esc", [this] { QTest::keyClick(Control(IDC_MONO), Qt::Key_Escape); }, QDialog::Rejected},
        {"Cancel", [this] { Click(IDC_CANCEL_BUTTON); }, QDialog::Rejected},
        {"close box", [this] { m_dialog->close(); }, QDialog::Rejected},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Open();
        Type(IDC_WAVE_FOLDER, "/elsewhere");
        Click(IDC_STEREO);
        way.end();
        ASSERT_TRUE(Ended());
        EXPECT_EQ(m_dialog->result(), way.result);
        EXPECT_EQ(m_dialog->m_options, m_options);
        EXPECT_EQ(ReadAll(OptionFile()), "old");
    }
}

TEST_F(OptionsDialogTest, BrowseFillsItsOwnEditAndCancelLeavesItAlone) {
    Open();
    const QString chosen = m_dir.path() + "/chosen";
    ASSERT_TRUE(QDir().mkpath(chosen));
    FolderPickerSeam::SetNextFolder(chosen + "/");
    Click(IDC_BROWSE_MP3_FOLDER); // works with the edits disabled too
    EXPECT_EQ(Control<QLineEdit>(IDC_MP3_FOLDER)->text(), chosen);
    EXPECT_EQ(Control<QLineEdit>(IDC_WAVE_FOLDER)->text(), m_options.m_strWaveFolder);

    FolderPickerSeam::SetNextCancel();
    Click(IDC_BROWSE_WAVE_FOLDER);
    EXPECT_EQ(Control<QLineEdit>(IDC_WAVE_FOLDER)->text(), m_options.m_strWaveFolder);
    EXPECT_EQ(Control<QLineEdit>(IDC_MP3_FOLDER)->text(), chosen);
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

TEST(OptionRules, BitrateTableAndTrailingSlash) {
    for (const auto& [index, bitrate] : {std::pair{0, 320}, {13, 32}, {14, 128}})
        EXPECT_EQ(BitrateFromIndex(index), bitrate) << index;
    for (const auto& [bitrate, index] : {std::pair{40, 12}, {44, 5}})
        EXPECT_EQ(IndexFromBitrate(bitrate), index) << bitrate;
    for (int index = 0; index < 14; ++index)
        EXPECT_EQ(IndexFromBitrate(BitrateFromIndex(index)), index);
    for (const auto& [path, cut] :
         {std::pair{"/music//", "/music/"}, {"/music", "/music"}, {"/", "/"}, {"", ""}})
        EXPECT_EQ(RemoveTrailingSlash(path), cut) << path;
}

} // namespace
