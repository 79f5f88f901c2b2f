// Writes a picture of the main window, with a few rows in its list, to the
// PNG file named on the command line. Runs without a display.
#include "MainDialog.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void AddSampleRows(CSoundListCtrl* list) {
    const char* names[] = {"Morning Walk.mp3", "Harbour Lights.mp3", "Interview 03.mp3",
                           "Rain on the Roof.mp3"};
    for (const char* name : names)
        list->InsertFile(list->GetItemCount(), name, "/home/ann/Music/Field recordings");
    list->SetCheck(0, true);
    list->SetCheck(1, true);
    list->SetCheck(3, true);
    list->SetItemText(0, CSoundListCtrl::COLUMN_STATUS, "Success");
    list->SetSelectedRow(2);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <picture.png>\n", argv[0]);
        return 2;
    }
    // The option file goes to a scratch folder, not beside the program.
    QTemporaryDir programFolder;
    CMainDialog dialog(nullptr, programFolder.path() + "/");
    dialog.Create();
    AddSampleRows(dialog.FileList());
    dialog.show();
    app.processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
