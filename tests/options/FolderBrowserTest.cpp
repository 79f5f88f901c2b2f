// The folder picker in its real modal window: where it opens, what its status
// line says while the selection moves, and what it returns.
#include "FolderBrowser.h"
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

#include <functional>

namespace {

class FolderBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("start"));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("other"));
        m_owner.show();
        m_browser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
        m_browser.SetInitialFolder(Path("start"));
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Browses with `work` done on the open picker; whether a folder was chosen.
    bool Browse(const std::function<void(QDialog*, QFileDialog*)>& work) {
        bool chosen = false;
        WithModal([&] { chosen = m_browser.Browse(); },
                  [&](QDialog* picker) {
                      auto* folders = picker->findChild<QFileDialog*>();
                      ASSERT_NE(folders, nullptr);
                      EXPECT_EQ(picker->parentWidget(), &m_owner);
                      EXPECT_EQ(picker->findChild<QLabel*>("instruction")->text(),
                                "Directory Name");
                      EXPECT_EQ(StatusLine(picker), Path("start"));
                      work(picker, folders);
                  });
        return chosen;
    }

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
    CInitFolderBrowser m_browser{&m_owner, IDS_DIRECTORY_NAME};
};

TEST_F(FolderBrowserTest, OpensAtTheFolderFollowsTheSelectionAndReturnsIt) {
    EXPECT_TRUE(Browse([&](QDialog* picker, QFileDialog* folders) {
        EXPECT_EQ(folders->selectedFiles(), QStringList{Path("start")});
        ClickEntry(folders, Path("other"));
        EXPECT_EQ(StatusLine(picker), Path("other"));
        Press(folders, QDialogButtonBox::Open);
    }));
    EXPECT_EQ(m_browser.GetFolderPath(), Path("other"));
    EXPECT_FALSE(m_browser.IsOpen());
}

TEST_F(FolderBrowserTest, CancelReturnsNothing) {
    EXPECT_FALSE(Browse([&](QDialog*, QFileDialog* folders) {
        ClickEntry(folders, Path("other"));
        Press(folders, QDialogButtonBox::Cancel);
    }));
    EXPECT_EQ(m_browser.GetFolderPath(), "");
}

} // namespace
