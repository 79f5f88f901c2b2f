// Writes a picture of the main window, with a few rows in its list, to the
// PNG file named on the command line; with --player and an MP3 file, a picture
// of the player playing that file. Runs without a display.
#include "MainDialog.h"
#include "PlayerDialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

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

// The player a little over a second into `mp3`, so its time runs.
bool SavePlayer(const QString& mp3, const QString& picture) {
    const QFileInfo file(mp3);
    CPlayerDialog player;
    player.m_strFileName = file.fileName();
    player.m_strFileFolder = file.absolutePath();
    player.m_strFullPath = file.absoluteFilePath();
    bool saved = false;
    QTimer::singleShot(1300, &player, [&] {
        saved = player.grab().save(picture);
        player.reject();
    });
    player.DoModal();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 4 && QString(argv[1]) == "--player") {
        if (SavePlayer(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])))
            return 0;
        std::fprintf(stderr, "cannot show %s or write %s\n", argv[2], argv[3]);
        return 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <picture.png> | --player <song.mp3> <picture.png>\n",
                     argv[0]);
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
