// Renaming a row's file through the row menu and the "Rename the file" dialog:
// the file on disk and the row change together, or neither does.
#include "ListTestWindow.h"

#include "FlatButton.h"
#include "MessageBox.h"

#include <QLineEdit>

namespace {

class ListRenameTest : public ListWindowTest {
protected:
    void SetUp() override {
        ListWindowTest::SetUp();
        m_song = MakeFile("song.mp3", "song bytes");
        MakeFile("other.mp3", "other bytes");
        AddFiles({m_song});
        m_list->SetCheck(0, true);
        m_list->SetItemText(0, CSoundListCtrl::COLUMN_STATUS, "Success");
    }

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

TEST_F(ListRenameTest, TheDialogShowsItsCaptionsAndTheCurrentName) {
    Rename([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Rename the file");
        auto* edit = ChildById<QLineEdit>(dialog, IDC_RENAME_EDIT);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), "song.mp3");
        auto* ok = ChildById<CFlatButton>(dialog, IDC_OK_BUTTON);
        auto* cancel = ChildById<CFlatButton>(dialog, IDC_CANCEL_BUTTON);
        ASSERT_TRUE(ok && cancel);
        // The template's texts, drawn without their mnemonic marks.
        EXPECT_EQ(ok->text(), "&O K");
        EXPECT_EQ(cancel->text(), "&Cancel");
        EXPECT_EQ(ok->Caption(), "O K");
        EXPECT_EQ(cancel->Caption(), "Cancel");
        EXPECT_NE(dialog->findChild<QLabel*>(), nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
}

TEST_F(ListRenameTest, ANewNameRenamesTheFileAndTheRowOnly) {
    Rename(TypeAndPress("song.wav"));
    EXPECT_EQ(Names(), QStringList{"song.wav"});
    EXPECT_EQ(ReadAll(Music("song.wav")), "song bytes");
    EXPECT_FALSE(QFile::exists(m_song));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER), QStringList{Music()});
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_STATUS), QStringList{"Success"});
    EXPECT_EQ(Checks(), QList<bool>{true});
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

TEST_F(ListRenameTest, CancelChangesNothing) {
    Rename(TypeAndPress("new.mp3", IDC_CANCEL_BUTTON));
    ExpectUnchanged();
    Rename([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    ExpectUnchanged();
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
}

TEST_F(ListRenameTest, EnterActsAsOkAndAnEmptyNameIsAskedForAgain) {
    Rename([](QDialog* dialog) {
        auto* edit = ChildById<QLineEdit>(dialog, IDC_RENAME_EDIT);
        edit->clear();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(MessageBoxSeam::Recorded().size(), 1u);
        edit->setText("renamed.mp3");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(ErrorTextsShown(), QStringList({"Please input the file name!"}));
    EXPECT_EQ(Names(), QStringList{"renamed.mp3"});
    EXPECT_EQ(ReadAll(Music("renamed.mp3")), "song bytes");
}

TEST_F(ListRenameTest, AMissingSourceIsReportedAndTheRowKept) {
    ASSERT_TRUE(QFile::remove(m_song));
    Rename(TypeAndPress("new.mp3"));
    EXPECT_EQ(ErrorTextsShown(), QStringList({"Can not rename!"}));
    EXPECT_EQ(Names(), QStringList{"song.mp3"});
    EXPECT_FALSE(QFile::exists(Music() + "/new.mp3"));
}

} // namespace
