// The file list at 10,000 rows, through the main window's own handlers on an
// offscreen window: adding one choice of 10,000 files, sorting by each
// heading, Check all, and the memory the rows take. Then a tree of 100,110
// entries (20,000 MP3 files) dropped on a second window: the time until the
// last row is in, the longest gap of a 10 ms timer meanwhile, and the heap the
// rows hold. Prints figures.
#include "FilePicker.h"
#include "MainDialog.h"
#include "resource.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>
#include <malloc.h>
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

// 10 x 10 x 10 nested folders; each of the 1,000 innermost holds 20 MP3 files
// and 79 others: 100,110 entries.
void MakeTree(const QString& top) {
    for (int folder = 0; folder < 1000; ++folder) {
        const QString path = QString("%1/%2/%3/%4")
                                 .arg(top)
                                 .arg(folder / 100)
                                 .arg(folder / 10 % 10)
                                 .arg(folder % 10);
        QDir().mkpath(path);
        for (int file = 0; file < 99; ++file) {
            const char* ending = file < 20 ? ".mp3" : file % 2 ? ".wav" : ".jpg";
            QFile(QString("%1/track %2%3").arg(path).arg(file, 2, 10, QChar('0')).arg(ending))
                .open(QIODevice::WriteOnly);
        }
    }
}

void DropOnList(CSoundListCtrl* list, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint centre = list->viewport()->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
}

void BenchDroppedTree(const QString& folder) {
    MakeTree(folder + "/tree");
    CMainDialog dialog(nullptr, folder + "/");
    dialog.Create();
    dialog.show();
    QApplication::processEvents();

    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });
    const size_t heapBefore = mallinfo2().uordblks;
    QElapsedTimer walk;
    walk.start();
    sinceTick.start();
    ticks.start(10);
    DropOnList(dialog.FileList(), folder + "/tree");
    const bool ended = QTest::qWaitFor([&] { return !dialog.IsWalkingFolders(); }, 60000);
    const double seconds = walk.nsecsElapsed() / 1e9;
    ticks.stop();
    const double heapMiB = (mallinfo2().uordblks - heapBefore) / 1048576.0;

    const int rows = dialog.FileList()->GetItemCount();
    std::printf("dropped tree of 100,110 entries: %d rows%s\n", rows, ended ? "" : " (NOT ENDED)");
    std::printf("%-28s %8.4f s  %s\n", "until the last row is in", seconds,
                seconds < 3.0 ? "ok" : "OVER 3 s");
    std::printf("%-28s %8lld ms %s\n", "longest 10 ms timer gap", longestGapMs,
                longestGapMs <= 100 ? "ok" : "OVER 100 ms");
    std::printf("%-28s %8.2f MiB %s\n", "heap the rows hold", heapMiB,
                heapMiB < 16.0 ? "ok" : "OVER 16 MiB");
}

void BenchChoice(const QString& folder) {
    CMainDialog dialog(nullptr, folder + "/");
    dialog.Create();
    dialog.show();
    QApplication::processEvents();

    QStringList paths;
    for (int i = 0; i < kRows; ++i)
        paths << QString("%1/music/album %2/track %3 of the long benchmark.mp3")
                     .arg(folder)
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
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    BenchChoice(folder.path());
    BenchDroppedTree(folder.path());
    return 0;
}
