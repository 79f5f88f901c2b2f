// Stands in for the installed program in the install tests: copied into an
// installed prefix's bin folder, it opens the real main window there (so it
// finds its settings, help and encoder library as the installed program does),
// converts the wave file named on its command line, and reports.
#include "EncoderLibrary.h"
#include "MainDialog.h"
#include "MessageBox.h"
#include "ProcessEnd.h"
#include "ProgramFolder.h"
#include "resource.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <wave file>\n", argv[0]);
        EndProcess(2);
    }
    MessageBoxSeam::SetStandingAnswer(IDOK);
    MessageBoxSeam::SetObserver([](const RecordedMessage& message) {
        std::printf("message=%s\n", qPrintable(message.text));
    });
    std::printf("settings=%s\nlibrary=%s\nhelp=%s\n", qPrintable(SettingsFolder()),
                qPrintable(SystemLibraryDirectory()), qPrintable(HelpFolder()));

    CMainDialog dialog;
    dialog.Create();
    dialog.show();
    dialog.OnCommand(IDC_WAVETOMP3);
    const QFileInfo wave(QString::fromLocal8Bit(argv[1]));
    CSoundListCtrl* list = dialog.FileList();
    list->InsertFile(0, wave.fileName(), wave.absolutePath());
    list->SetCheck(0, true);
    dialog.OnCommand(IDC_START);
    auto status = [list] { return list->GetItemText(0, CSoundListCtrl::COLUMN_STATUS); };
    (void)QTest::qWaitFor([&] { return !status().isEmpty(); }, 60000); // the status line tells
    std::printf("status=%s\n", qPrintable(status()));
    std::fflush(stdout);
    EndProcess(status() == kStatusSuccess ? 0 : 1);
}
