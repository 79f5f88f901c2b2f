// Writes a picture of one of Brindle's windows to the PNG file named on the
// command line: the main window with a few rows in its list (the default),
// the Options dialog, the folder picker, or the MP3 player a second into the
// MP3 file named after it. Runs without a display.
#include "FolderPicker.h"
#include "MainDialog.h"
#include "OptionsDialog.h"
#include "PlayerDialog.h"
#include "Strings.h"
#include "resource.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <map>

namespace {

void AddSampleRows(CSoundListCtrl* list) {
    const char* names[] = {"Morning Walk.mp3", "Harbour Lights.mp3", "Interview 03.mp3",
                           "Rain on the Roof.mp3"};
    for (const char* name : names)
        list->InsertFile(list->GetItemCount(), name, "/home/ann/Music/Field recordings");
    list->SetCheck(0, true);
    list->SetCheck(1, true);
    list->SetCheck(3, true);
    list->SetItemText(0, CSoundListCtrl::COLUMN_STATUS, kStatusSuccess);
    list->SetSelectedRow(2);
}

// Each picture is drawn with its files in `scratch`, never beside the program;
// `input` is the file a picture shows, where it needs one.
using Drawing = std::function<QPixmap(const QString& scratch, const QString& input)>;

QPixmap ShowAndGrab(QWidget& window) {
    window.show();
    QApplication::processEvents();
    return window.grab();
}

QPixmap DrawMainWindow(const QString& scratch, const QString&) {
    CMainDialog dialog(nullptr, scratch + "/");
    dialog.Create();
    AddSampleRows(dialog.FileList());
    return ShowAndGrab(dialog);
}

QPixmap DrawOptions(const QString& scratch, const QString&) {
    COptionsDialog dialog(nullptr, scratch + "/");
    dialog.m_options.SetDefaults("/home/ann");
    dialog.m_options.m_bSameFolder = 0;
    dialog.Create();
    return ShowAndGrab(dialog);
}

QPixmap DrawFolderPicker(const QString& scratch, const QString&) {
    const QString music = scratch + "/Music";
    for (const char* folder : {"Field recordings", "Interviews", "Podcasts", "Converted"})
        QDir().mkpath(music + "/" + folder);
    FolderPickerWindow picker(nullptr, LoadString(IDS_DIRECTORY_NAME), true);
    picker.show();
    picker.SetSelection(music + "/Interviews");
    picker.SetStatusText(music + "/Interviews");
    // The folder list fills in the background.
    for (int round = 0; round < 50; ++round)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return picker.grab();
}

// The player a little over a second into `mp3`, so its time runs.
QPixmap DrawPlayer(const QString&, const QString& mp3) {
    const QFileInfo file(mp3);
    CPlayerDialog player;
    player.m_strFileName = file.fileName();
    player.m_strFileFolder = file.absolutePath();
    player.m_strFullPath = file.absoluteFilePath();
    QPixmap picture;
    QTimer::singleShot(1300, &player, [&] {
        picture = player.grab();
        player.reject();
    });
    player.DoModal();
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::map<QString, Drawing> drawings = {{"main", DrawMainWindow},
                                                 {"options", DrawOptions},
                                                 {"folders", DrawFolderPicker},
                                                 {"player", DrawPlayer}};
    const QString which = argc >= 3 ? QString::fromLocal8Bit(argv[2]) : "main";
    const QString input = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (argc < 2 || argc > 4 || !drawings.count(which) || (which == "player") != (argc == 4)) {
        std::fprintf(stderr, "usage: %s <picture.png> [main|options|folders|player <song.mp3>]\n",
                     argv[0]);
        return 2;
    }
    QTemporaryDir scratch;
    if (!drawings.at(which)(scratch.path(), input).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
