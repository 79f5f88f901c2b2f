// A real main window for batch tests: options written before it opens, rows
// added through the list, real sound files in a temporary folder, and what
// the counter showed recorded each time the title changed.
#pragma once

#include "MainWindowFixture.h"
#include "MessageBox.h"
#include "OptionFile.h"
#include "SoundFiles.h"

#include <QFileInfo>

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

class BatchWindowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        m_options.SetDefaults(m_folder.path());
    }

    // Opens the window over the options set so far.
    void OpenWindow() {
        ASSERT_EQ(SaveOptions(ProgramFolder(), m_options), SaveOptionsResult::Saved);
        MainWindowFixture::OpenWindow();
        QObject::connect(m_dialog.get(), &QWidget::windowTitleChanged,
                         [this](const QString& title) {
                             m_seen.push_back({title, Control<QLabel>(IDC_STATUS_LABEL)->text(),
                                               Control(IDC_FILE_PROGRESS)->isVisible() &&
                                                   Control(IDC_BATCH_PROGRESS)->isVisible()});
                         });
    }

    QString MakeWave(const QString& name, const ToneSpec& tone = ToneSpec()) {
        EXPECT_TRUE(WriteToneWave(Music(name), tone)) << name.toStdString();
        return Music(name);
    }

    QString MakeMp3(const QString& name, const ToneSpec& tone = ToneSpec()) {
        EXPECT_TRUE(WriteToneMp3(Music(name), tone)) << name.toStdString();
        return Music(name);
    }

    // Appends a row for the file at `path`.
    void AddRow(const QString& path, bool checked = true) {
        const QFileInfo info(path);
        const int row = m_list->InsertFile(m_list->GetItemCount(), info.fileName(), info.path());
        m_list->SetCheck(row, checked);
    }

    QStringList Statuses() const { return Column(CSoundListCtrl::COLUMN_STATUS); }

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

    ConvertOptions m_options;
    std::vector<CounterSeen> m_seen;
};
