// The main window for the file list's tests, the Open File dialog answered through its seam.
#pragma once

#include "FilePicker.h"
#include "MainWindowFixture.h"
#include "ModalDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>

#include <functional>

class ListWindowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        FilePickerSeam::Reset();
        MainWindowFixture::SetUp();
        if (!HasFatalFailure())
            OpenWindow();
    }

    void TearDown() override { FilePickerSeam::Reset(); }

    // Adds the given paths through the Add button, as one choice in the dialog.
    void AddFiles(const QStringList& paths) {
        FilePickerSeam::SetNextFiles(paths);
        Click(IDC_ADD_FILES);
    }

    // Adds files named a.mp3, b.mp3 ... so that the rows read a, b, c ... from the top.
    void AddRows(int count) {
        QStringList paths;
        for (int i = count - 1; i >= 0; --i)
            paths << MakeFile(QString(QChar('a' + i)) + ".mp3");
        AddFiles(paths);
        ASSERT_EQ(m_list->GetItemCount(), count);
    }

    void Rename(const std::function<void(QDialog*)>& work) {
        RightClickRow(0);
        WithModal([this] { Choose(IDR_ROW_MENU, "&Rename File"); }, work);
    }

    QStringList Names() const { return Column(CSoundListCtrl::COLUMN_NAME); }

    QList<bool> Checks() const {
        QList<bool> checks;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            checks << m_list->GetCheck(row);
        return checks;
    }
};
