// A real main window for batch tests: options written before it opens, rows
// added through the list, real sound files in a temporary folder, and what
// the counter showed recorded each time the title changed.
#pragma once

#include "MainDialog.h"
#include "MessageBox.h"
#include "OptionFile.h"
#include "SoundFiles.h"
#include "resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// The window's face at one change of its title.
struct CounterSeen {
    QString title;
    QString label;
    bool barsVisible;
};

inline ToneSpec Tone(double seconds, double frequency) {
    ToneSpec tone;
    tone.seconds = seconds;
    tone.frequency = frequency;
    return tone;
}

class BatchWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir(m_folder.path()).mkpath("program"));
        ASSERT_TRUE(QDir(m_folder.path()).mkpath("music"));
        m_options.SetDefaults(m_folder.path());
    }

    void OpenWindow() {
        const QString program = m_folder.filePath("program") + "/";
        ASSERT_EQ(SaveOptions(program, m_options), SaveOptionsResult::Saved);
        m_dialog = std::make_unique<CMainDialog>(nullptr, program);
        ASSERT_TRUE(m_dialog->Create());
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
        m_list = m_dialog->FileList();
        QObject::connect(m_dialog.get(), &QWidget::windowTitleChanged,
                         [this](const QString& title) {
                             m_seen.push_back({title, Control<QLabel>(IDC_STATUS_LABEL)->text(),
                                               Control(IDC_FILE_PROGRESS)->isVisible() &&
                                                   Control(IDC_BATCH_PROGRESS)->isVisible()});
                         });
    }

    template <typename T = QWidget> T* Control(int id) const {
        return m_dialog->findChild<T*>(QString::number(id));
    }

    void Click(int id) {
        QWidget* control = Control(id);
        ASSERT_NE(control, nullptr) << id;
        QTest::mouseClick(control, Qt::LeftButton);
    }

    QString Music(const QString& name = QString()) const {
        return name.isEmpty() ? m_folder.filePath("music") : m_folder.filePath("music/" + name);
    }

    QString MakeWave(const QString& name, const ToneSpec& tone = ToneSpec()) {
        EXPECT_TRUE(WriteToneWave(Music(name), tone)) << name.toStdString();
        return Music(name);
    }

    QString MakeMp3(const QString& name, const ToneSpec& tone = ToneSpec()) {
        EXPECT_TRUE(WriteToneMp3(Music(name), tone)) << name.toStdString();
        return Music(name);
    }

    QString MakeFile(const QString& name, const QByteArray& bytes) {
        QFile file(Music(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }

    // Appends a row for the file at `path`.
    void AddRow(const QString& path, bool checked = true) {
        const QFileInfo info(path);
        const int row = m_list->InsertFile(m_list->GetItemCount(), info.fileName(), info.path());
        m_list->SetCheck(row, checked);
    }

    QStringList Statuses() const {
        QStringList statuses;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            statuses << m_list->GetItemText(row, CSoundListCtrl::COLUMN_STATUS);
        return statuses;
    }

    QStringList TitlesSeen() const {
        QStringList titles;
        for (const CounterSeen& seen : m_seen)
            titles << seen.title;
        return titles;
    }

    // Waits until the rows read `statuses`; false after `timeoutMs`.
    bool WaitForStatuses(const QStringList& statuses, int timeoutMs = 30000) {
        if (QTest::qWaitFor([&] { return Statuses() == statuses; }, timeoutMs))
            return true;
        ADD_FAILURE() << "statuses stayed " << Statuses().join(",").toStdString();
        return false;
    }

    QStringList MessagesShown() const {
        QStringList texts;
        for (const RecordedMessage& message : MessageBoxSeam::Recorded())
            texts << message.text + "|" + message.caption;
        return texts;
    }

    QTemporaryDir m_folder;
    ConvertOptions m_options;
    std::unique_ptr<CMainDialog> m_dialog;
    CSoundListCtrl* m_list = nullptr;
    std::vector<CounterSeen> m_seen;
};
