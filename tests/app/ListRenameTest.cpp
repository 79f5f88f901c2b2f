// Renaming a row's file through the row menu and the "Rename the file" dialog:
// the file on disk and the row change together, or neither does.
#include "FilePicker.h"
#include "MainWindowFixture.h"
#include "MessageBox.h"
#include "ModalDialogs.h"

#include <QDialog>
#include <QLineEdit>

#include <functional>

namespace {

class ListRenameTest : public MainWindowFixture {
protected:
    void SetUp() override {
        FilePickerSeam::Reset();
        MainWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        OpenWindow();
        m_song = MakeFile("song.mp3", "song bytes");
        MakeFile("other.mp3", "other bytes");
        // Added as the Open File dialog's choice.
        FilePickerSeam::SetNextFiles({m_song});
        Click(IDC_ADD_FILES);
        m_list->SetCheck(0, true);
        m_list->SetItemText(0, CSoundListCtrl::COLUMN_STATUS, "Success");
    }

    void TearDown() override { FilePickerSeam::Reset(); }

    void Rename(const std::function<void(QDialog*)>& work) {
        RightClickRow(0);
        WithModal([this] { Choose(IDR_ROW_MENU, "&Rename File"); }, work);
    }

    QStringList Names() const { return Column(CSoundListCtrl::COLUMN_NAME); }

    static std::function<void(QDialog*)> TypeAndPress(const QString& name,
                                                      int button = IDC_OK_BUTTON) {
        return [name, button](QDialog* dialog) {
            auto* edit = ChildById<QLineEdit>(dialog, IDC_RENAME_EDIT);
            ASSERT_NE(edit, nullptr);
            edit->setText(name);
            ClickIn(dialog, button);
        };
    }

    // The row and the files are as SetUp left them.
    void ExpectUnchanged() {
        EXPECT_EQ(Names(), QStringList{"song.mp3"});
        EXPECT_EQ(ReadAll(Music("song.mp3")), "song bytes");
        EXPECT_EQ(ReadAll(Music("other.mp3")), "other bytes");
        EXPECT_EQ(FolderEntries(Music()).size(), 2);
        EXPECT_TRUE(QDir(m_folder.path()).entryList({"*.mp3"}).isEmpty());
    }

    QString m_song;
};

TEST_F(ListRenameTest, ANewNameRenamesTheFileAndTheRowOnly) {
    Rename(TypeAndPress("song.wav"));
    EXPECT_EQ(Names(), QStringList{"song.wav"});
    EXPECT_EQ(ReadAll(Music("song.wav")), "song bytes");
    EXPECT_FALSE(QFile::exists(m_song));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER), QStringList{Music()});
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_STATUS), QStringList{"Success"});
    EXPECT_TRUE(m_list->GetCheck(0));
    EXPECT_EQ(m_list->GetSelectedRow(), 0);
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
    // The record keeps the name the row was added with.
    EXPECT_EQ(static_cast<CSoundFileItem*>(m_list->GetItemData(0))->m_strName, "song.mp3");
}

TEST_F(ListRenameTest, TheNameOfAnotherFileIsRefusedAndThatFileKept) {
    Rename(TypeAndPress("other.mp3"));
    EXPECT_EQ(ErrorTextsShown(), QStringList({"Can not rename!"}));
    ExpectUnchanged();
}

TEST_F(ListRenameTest, NamesThatWouldLeaveTheFolderAreRefused) {
    for (const QString& name : {QString("../escaped.mp3"), QString("sub/x.mp3"), QString(".."),
                                QString("."), QString("/tmp/x.mp3")}) {
        MessageBoxSeam::Reset();
        MessageBoxSeam::SetStandingAnswer(IDOK);
        Rename(TypeAndPress(name));
        EXPECT_EQ(ErrorTextsShown(), QStringList({"Can not rename!"})) << name.toStdString();
        ExpectUnchanged();
    }
}

TEST_F(ListRenameTest, AMissingSourceIsReportedAndTheRowKept) {
    ASSERT_TRUE(QFile::remove(m_song));
    Rename(TypeAndPress("new.mp3"));
    EXPECT_EQ(ErrorTextsShown(), QStringList({"Can not rename!"}));
    EXPECT_EQ(Names(), QStringList{"song.mp3"});
    EXPECT_FALSE(QFile::exists(Music() + "/new.mp3"));
}

} // namespace
