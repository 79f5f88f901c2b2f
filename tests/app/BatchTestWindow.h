// A real main window for batch tests, recording the counter at each change of title.
#pragma once

#include "MainWindowFixture.h"
#include "MessageBox.h"
#include "OptionFile.h"
#include "SoundFiles.h"

#include <QFileInfo>
#include <QProgressBar>

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

    void OpenWindow() {
        ASSERT_EQ(SaveOptions(ProgramFolder(), m_options), SaveOptionsResult::Saved);
        MainWindowFixture::OpenWindow();
        QObject::connect(m_dialog.get(), &QWidget::windowTitleChanged,
                         [this](const QString& title) { m_titles << title; });
    }

    QString MakeWave(const QString& name, const ToneSpec& tone = ToneSpec()) {
        EXPECT_TRUE(WriteToneWave(Music(name), tone)) << name.toStdString();
        return Music(name);
    }

    QString MakeMp3(const QString& name, const ToneSpec& tone = ToneSpec()) {
        EXPECT_TRUE(WriteToneMp3(Music(name), tone)) << name.toStdString();
        return Music(name);
    }

    void AddRow(const QString& path, bool checked = true) {
        const QFileInfo info(path);
        const int row = m_list->InsertFile(m_list->GetItemCount(), info.fileName(), info.path());
        m_list->SetCheck(row, checked);
    }

    QStringList Statuses() const { return Column(CSoundListCtrl::COLUMN_STATUS); }

    QStringList TitlesSeen() const { return m_titles; }

    // Waits until the rows read `statuses`; false after `timeoutMs`.
    bool WaitForStatuses(const QStringList& statuses, int timeoutMs = 30000) {
        if (QTest::qWaitFor([&] { return Statuses() == statuses; }, timeoutMs))
            return true;
        ADD_FAILURE() << "statuses stayed " << Statuses().join(",").toStdString();
        return false;
    }

    bool WaitForTitleBack() {
        return QTest::qWaitFor([&] { return m_dialog->windowTitle() == "Brindle 2.17"; }, 5000);
    }

    QStringList MessagesShown() const {
        QStringList texts;
        for (const RecordedMessage& message : MessageBoxSeam::Recorded())
            texts << message.text + "|" + message.caption;
        return texts;
    }

    ConvertOptions m_options;
    QStringList m_titles; // every title the window took, the counter's among them
};
