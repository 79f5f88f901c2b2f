// The file list at 10,000 rows, through the main window's own handlers on an
// offscreen window: adding one choice of 10,000 files, sorting by each
// heading, Check all, and the memory the rows take. Prints figures.
#include "FilePicker.h"
#include "MainDialog.h"
#include "resource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

constexpr int kRows = 10000;

long ResidentKiB() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// Seconds `action` takes, with the events it leaves (repaints) handled.
double Seconds(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e9;
}

void Report(const char* what, double seconds, bool targeted = true) {
    const char* verdict = !targeted ? "(no target)" : seconds < 0.3 ? "ok" : "OVER 0.3 s";
    std::printf("%-28s %8.4f s  %s\n", what, seconds, verdict);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    CMainDialog dialog(nullptr, folder.path() + "/");
    dialog.Create();
    dialog.show();
    QApplication::processEvents();

    QStringList paths;
    for (int i = 0; i < kRows; ++i)
        paths << QString("%1/music/album %2/track %3 of the long benchmark.mp3")
                     .arg(folder.path())
                     .arg(i % 37)
                     .arg((i * 7919) % kRows, 5, 10, QChar('0'));
    const long before = ResidentKiB();

    FilePickerSeam::SetNextFiles(paths);
    Report("add 10,000 files", Seconds([&] { dialog.OnCommand(IDC_ADD_FILES); }));
    const long after = ResidentKiB();

    CSoundListCtrl* list = dialog.FileList();
    const char* headings[] = {"sort by File Name (desc)", "sort by Folder", "sort by Status"};
    for (int column = 0; column < 3; ++column)
        Report(headings[column], Seconds([&] { emit list->header()->sectionClicked(column); }));
    Report("check all", Seconds([&] { dialog.OnCommand(IDC_CHECK_ALL); }));
    Report("reverse checks", Seconds([&] { dialog.OnCommand(IDC_REVERSE_CHECKS); }), false);
    list->SetSelectedRow(kRows - 1);
    Report("move last row to top", Seconds([&] { dialog.OnCommand(IDC_MOVE_TOP); }), false);

    const double mib = (after - before) / 1024.0;
    std::printf("rows: %d, RSS delta of the rows: %.2f MiB (%s)\n", list->GetItemCount(), mib,
                mib < 10.0 ? "ok" : "OVER 10 MiB");
    return 0;
}
