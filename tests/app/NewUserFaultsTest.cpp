// Faults a new user met in the landed main window, each through real key and mouse events.
#include "ListTestWindow.h"

#include "MessageBox.h"
#include "StandInDesktop.h"
#include "Strings.h"

#include <QLineEdit>
#include <QWindow>

namespace {

class NewUserFaultsTest : public ListWindowTest {
protected:
    QMenu* SystemMenu() const { return m_dialog->findChild<QMenu*>("systemMenu"); }

    // Makes the main window the active one with the focus in the file list,
    // as it is after start-up.
    void FocusTheList() {
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
        m_list->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_list->hasFocus(); }, 2000));
    }

    void ExpectSystemMenuFrom(QWidget* target) {
        QTest::keyClick(target, Qt::Key_Space, Qt::AltModifier);
        ASSERT_NE(SystemMenu(), nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return SystemMenu()->isVisible(); }, 2000));
        SystemMenu()->hide();
    }

    // A double click, as the window system delivers it, in the middle of `control`.
    void DoubleClick(int id) {
        QWidget* control = Control(id);
        ASSERT_NE(control, nullptr) << id;
        QTest::mouseDClick(m_dialog->windowHandle(), Qt::LeftButton, {},
                           control->mapTo(m_dialog.get(), control->rect().center()));
    }
};

TEST_F(NewUserFaultsTest, AltSpaceOpensTheSystemMenuAndLeavesEveryRow) {
    // From an empty list, from the window itself, and from a list with rows.
    FocusTheList();
    ExpectSystemMenuFrom(m_list);
    EXPECT_EQ(m_list->GetItemCount(), 0);
    m_list->clearFocus();
    ExpectSystemMenuFrom(m_dialog.get());
    AddRows(3);
    m_list->SetCheck(2, true);
    m_list->SetSelectedRow(1);
    FocusTheList();
    ExpectSystemMenuFrom(m_list);
    EXPECT_EQ(Checks(), QList<bool>({false, false, true}));
    EXPECT_EQ(Names(), QStringList({"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 1);

    // Space alone is still the list's: it toggles the current row's check.
    QTest::keyClick(m_list, Qt::Key_Space);
    EXPECT_EQ(Checks(), QList<bool>({false, true, true}));
    EXPECT_FALSE(SystemMenu()->isVisible());
}

TEST_F(NewUserFaultsTest, ADoubleClickOnASkinnedButtonActsOnce) {
    AddRows(4);
    m_list->SetCheck(0, true);
    m_list->SetSelectedRow(0);
    DoubleClick(IDC_MOVE_DOWN);
    EXPECT_EQ(Names(), QStringList({"b.mp3", "a.mp3", "c.mp3", "d.mp3"}));
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
    // A later single click is a click of its own.
    Click(IDC_MOVE_DOWN);
    EXPECT_EQ(Names(), QStringList({"b.mp3", "c.mp3", "a.mp3", "d.mp3"}));
    DoubleClick(IDC_REVERSE_CHECKS);
    EXPECT_EQ(Checks(), QList<bool>({true, true, false, true}));
    DoubleClick(IDC_WAVETOMP3);
    EXPECT_EQ(m_dialog->Direction(), WAVE_TO_MP3);
    EXPECT_EQ(m_dialog->Button(IDC_WAVETOMP3)->CurrentBitmap(), IDB_WAVETOMP3_CHECKED);
    // The double click does not reach the window surface, where it would drag.
    EXPECT_TRUE(m_dialog->isVisible());
}

class RenameKeysTest : public NewUserFaultsTest {
protected:
    void SetUp() override {
        NewUserFaultsTest::SetUp();
        m_song = MakeFile("song.mp3", "song bytes");
        AddFiles({m_song});
    }

    static void PressAlt(QDialog* dialog, Qt::Key key) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, key,
                        Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 2000));
    }

    QString m_song;
};

TEST_F(RenameKeysTest, AltCCancelsAndAltOIsTheOKButton) {
    const auto renameWith = [this](Qt::Key key) {
        Rename([key](QDialog* dialog) {
            auto* edit = ChildById<QLineEdit>(dialog, IDC_RENAME_EDIT);
            ASSERT_NE(edit, nullptr);
            edit->setText("tune.mp3");
            PressAlt(dialog, key);
        });
        return m_list->GetItemText(0, CSoundListCtrl::COLUMN_NAME);
    };
    EXPECT_EQ(renameWith(Qt::Key_C), "song.mp3");
    EXPECT_FALSE(QFile::exists(Music("tune.mp3")));
    EXPECT_EQ(renameWith(Qt::Key_O), "tune.mp3");
    EXPECT_EQ(ReadAll(Music("tune.mp3")), "song bytes");
    EXPECT_FALSE(QFile::exists(m_song));
}

TEST_F(RenameKeysTest, AltOWithAnEmptyNameAsksForOne) {
    Rename([](QDialog* dialog) {
        auto* edit = ChildById<QLineEdit>(dialog, IDC_RENAME_EDIT);
        ASSERT_NE(edit, nullptr);
        edit->clear();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([] { return !MessageBoxSeam::Recorded().empty(); }, 2000));
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    ASSERT_EQ(MessageBoxSeam::Recorded().size(), 1u);
    EXPECT_EQ(MessageBoxSeam::Recorded().front().text, "Please input the file name!");
    EXPECT_TRUE(QFile::exists(m_song));
}

} // namespace
