// A real main window over a temporary folder holding the program folder (with
// its option file) and a music folder for the list's files.
#pragma once

#include "MainDialog.h"
#include "TestFiles.h"
#include "resource.h"

#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// The control `id` of any of our windows, found by its object name.
template <typename T = QWidget> T* ChildById(const QObject* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

inline void ClickIn(const QWidget* parent, int id) {
    QWidget* control = ChildById(parent, id);
    ASSERT_NE(control, nullptr) << id;
    QTest::mouseClick(control, Qt::LeftButton);
}

class MainWindowFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir(m_folder.path()).mkpath("program"));
        ASSERT_TRUE(QDir(m_folder.path()).mkpath("music"));
    }

    QString ProgramFolder() const { return m_folder.filePath("program") + "/"; }

    void OpenWindow() {
        m_dialog = std::make_unique<CMainDialog>(nullptr, ProgramFolder());
        ASSERT_TRUE(m_dialog->Create());
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
        m_list = m_dialog->FileList();
    }

    template <typename T = QWidget> T* Control(int id) const {
        return ChildById<T>(m_dialog.get(), id);
    }
    void Click(int id) { ClickIn(m_dialog.get(), id); }

    // Where a person points at a row, and the row menus they open there.
    void RightClickRow(int row) {
        const QPoint centre = m_list->visualRect(m_list->model()->index(row, 1)).center();
        QTest::mouseClick(m_list->viewport(), Qt::RightButton, {}, centre);
    }

    // Chooses `text` in the open menu `menuId`.
    void Choose(int menuId, const QString& text) {
        for (QMenu* menu : m_dialog->findChildren<QMenu*>(QString::number(menuId)))
            for (QAction* action : menu->actions())
                if (menu->isVisible() && action->text() == text) {
                    menu->hide();
                    action->trigger();
                    return;
                }
        FAIL() << "no entry " << text.toStdString() << " in an open menu " << menuId;
    }

    QString Music(const QString& name = QString()) const {
        return name.isEmpty() ? m_folder.filePath("music") : m_folder.filePath("music/" + name);
    }

    // Creates `name` in the music folder holding `bytes`; returns its path.
    QString MakeFile(const QString& name, const QByteArray& bytes = "RIFF") {
        EXPECT_TRUE(WriteBytes(Music(name), bytes)) << name.toStdString();
        return Music(name);
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            texts << m_list->GetItemText(row, column);
        return texts;
    }

    QTemporaryDir m_folder;
    std::unique_ptr<CMainDialog> m_dialog;
    CSoundListCtrl* m_list = nullptr;
};
