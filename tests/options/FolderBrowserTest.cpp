// The folder picker with its real modal window: where it opens, what its
// status line says, what it returns, and the request it keeps while open.
#include "FolderBrowser.h"
#include "FolderPicker.h"
#include "ModalDialogs.h"
#include "resource.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Tries to change the request from inside the open picker.
class MeddlingBrowser : public CInitFolderBrowser {
public:
    using CInitFolderBrowser::CInitFolderBrowser;
    bool m_bSetTitleTaken = true;

protected:
    void OnInitialized() override {
        CInitFolderBrowser::OnInitialized();
        m_bSetTitleTaken = SetTitle(IDS_DIRECTORY_NAME);
        SetTitle(QString("changed"));
        SetFlags(0);
        SetOwner(nullptr);
    }
};

class FolderBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("start"));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("other"));
        m_owner.show();
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    static QString StatusLine(QDialog* picker) {
        auto* status = picker->findChild<QLabel*>("status");
        return status && status->isVisible() ? status->text() : "(no status line)";
    }

    // Clicks the entry of `path` in the picker's list, once the list shows it.
    static void ClickEntry(QFileDialog* folders, const QString& path) {
        auto* view = folders->findChild<QListView*>("listView");
        auto* model = folders->findChild<QFileSystemModel*>();
        ASSERT_TRUE(view && model);
        QRect place;
        const auto shown = [&] { return (place = view->visualRect(model->index(path))).isValid(); };
        ASSERT_TRUE(QTest::qWaitFor(shown, 5000)) << "the list never showed " << path.toStdString();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, place.center());
    }

    static void Press(QFileDialog* folders, QDialogButtonBox::StandardButton which) {
        auto* buttons = folders->findChild<QDialogButtonBox*>();
        ASSERT_TRUE(buttons && buttons->button(which));
        QTest::mouseClick(buttons->button(which), Qt::LeftButton);
    }

    QTemporaryDir m_dir;
    QWidget m_owner;
};

TEST_F(FolderBrowserTest, OpensAtTheFolderFollowsTheSelectionAndReturnsIt) {
    MeddlingBrowser browser(&m_owner, IDS_DIRECTORY_NAME);
    browser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    browser.SetInitialFolder(Path("start"));
    bool chosen = false;
    WithModal([&] { chosen = browser.Browse(); },
              [&](QDialog* picker) {
                  EXPECT_TRUE(browser.IsOpen());
                  EXPECT_EQ(picker->parentWidget(), &m_owner);
                  EXPECT_EQ(picker->findChild<QLabel*>("instruction")->text(), "Directory Name");
                  auto* folders = picker->findChild<QFileDialog*>();
                  ASSERT_NE(folders, nullptr);
                  EXPECT_TRUE(folders->testOption(QFileDialog::ShowDirsOnly));
                  EXPECT_EQ(folders->selectedFiles(), QStringList{Path("start")});
                  EXPECT_EQ(StatusLine(picker), Path("start"));
                  ClickEntry(folders, Path("other"));
                  EXPECT_EQ(StatusLine(picker), Path("other"));
                  Press(folders, QDialogButtonBox::Open);
              });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(browser.GetFolderPath(), Path("other"));
    EXPECT_FALSE(browser.IsOpen());
    EXPECT_FALSE(browser.m_bSetTitleTaken);
    EXPECT_EQ(browser.Title(), "Directory Name");
    EXPECT_EQ(browser.Flags(), BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    EXPECT_EQ(browser.Owner(), &m_owner);
}

TEST_F(FolderBrowserTest, CancelReturnsNothingAndAnEmptyStartShowsAnEmptyStatus) {
    CInitFolderBrowser browser(&m_owner, IDS_DIRECTORY_NAME);
    browser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    bool chosen = true;
    WithModal([&] { chosen = browser.Browse(); },
              [&](QDialog* picker) {
                  EXPECT_EQ(StatusLine(picker), "");
                  Press(picker->findChild<QFileDialog*>(), QDialogButtonBox::Cancel);
              });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(browser.GetFolderPath(), "");

    // Without the status flag the picker has no status line.
    browser.SetFlags(BIF_RETURNONLYFSDIRS);
    browser.SetInitialFolder(Path("start"));
    WithModal([&] { chosen = browser.Browse(); },
              [&](QDialog* picker) {
                  EXPECT_EQ(StatusLine(picker), "(no status line)");
                  picker->reject();
              });
    EXPECT_FALSE(chosen);
}

TEST_F(FolderBrowserTest, OperationsOfAnOpenPickerDoNothingWhileItIsClosed) {
    CInitFolderBrowser browser(&m_owner, 0);
    EXPECT_EQ(browser.Title(), "");
    EXPECT_FALSE(browser.SetTitle(-1));
    browser.SetSelection(Path("start"));
    browser.SetStatusText("ignored");
    FolderPickerSeam::SetNextFolder(Path("start"));
    EXPECT_TRUE(browser.Browse());
    EXPECT_EQ(browser.GetFolderPath(), Path("start"));
    // A chosen entry that is no folder of the file system is no answer.
    FolderPickerSeam::SetNextFolder(Path("missing"));
    EXPECT_FALSE(browser.Browse());
    EXPECT_EQ(browser.GetFolderPath(), "");
}

} // namespace
