// Batch conversion benchmark: batches on the real offscreen main window,
// each run in a child process so that its time and peak memory are its own,
// against the lame and mpg123 tools on the same files, in one run.
//   ten 60 s wave files to MP3   vs  lame -b 128, one after another
//   ten MP3 files to wave        vs  mpg123 -w on each
//   the longest gap between 10 ms timer ticks while the wave batch runs
//   peak memory while a 1 GiB wave file is converted
#include "ChildProcess.h"
#include "MainDialog.h"
#include "OptionFile.h"
#include "SoundFiles.h"
#include "resource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// The Start-to-end time and the longest tick gap the last batch child wrote.
std::pair<double, int> LastBatch(const QString& program) {
    QFile report(program + "/last-batch");
    if (!report.open(QIODevice::ReadOnly))
        return {-1, -1};
    const QList<QByteArray> fields = report.readAll().split(' ');
    return {fields.value(0).toDouble(), fields.value(1).toInt()};
}

// Child: bench batch <wave|mp3> <program folder> <files...>. Runs one batch on
// the main window and prints the longest gap between 10 ms timer ticks.
int RunBatchHere(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool toMp3 = QString(argv[2]) == "wave";
    CMainDialog dialog(nullptr, QString(argv[3]) + "/");
    dialog.Create();
    dialog.show();
    if (toMp3)
        QTest::mouseClick(dialog.findChild<QWidget*>(QString::number(IDC_WAVETOMP3)),
                          Qt::LeftButton);
    CSoundListCtrl* list = dialog.FileList();
    for (int i = 4; i < argc; ++i) {
        const QFileInfo file(QString::fromLocal8Bit(argv[i]));
        list->SetCheck(list->InsertFile(list->GetItemCount(), file.fileName(), file.path()), true);
    }
    QElapsedTimer batchClock;
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticks;
    ticks.setInterval(10);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
        bool done = true;
        for (int row = 0; row < list->GetItemCount(); ++row)
            done = done && !list->GetItemText(row, CSoundListCtrl::COLUMN_STATUS).isEmpty();
        if (done && dialog.windowTitle() == "Brindle 2.17")
            app.quit();
    });
    QTimer::singleShot(0, [&] {
        sinceTick.start();
        ticks.start();
        batchClock.start();
        QTest::mouseClick(dialog.findChild<QWidget*>(QString::number(IDC_START)), Qt::LeftButton);
    });
    app.exec();
    for (int row = 0; row < list->GetItemCount(); ++row)
        if (list->GetItemText(row, CSoundListCtrl::COLUMN_STATUS) != kStatusSuccess)
            return 1;
    QFile report(QString(argv[3]) + "/last-batch");
    if (!report.open(QIODevice::WriteOnly))
        return 1;
    report.write(QByteArray::number(batchClock.nsecsElapsed() / 1e9) + " " +
                 QByteArray::number(longestGapMs));
    return 0;
}

double RunToolOnEach(const QString& tool, const QStringList& files,
                     const std::function<QStringList(const QString&)>& arguments) {
    double total = 0;
    for (const QString& file : files) {
        QStringList command{tool};
        command += arguments(file);
        const ChildRun run = RunChild(command);
        if (run.seconds < 0)
            return -1;
        total += run.seconds;
    }
    return total;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 3 && QString(argv[1]) == "batch")
        return RunBatchHere(argc, argv);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString self = QCoreApplication::applicationFilePath();
    const QString program = dir.filePath("program");
    QDir(dir.path()).mkpath("program");
    ConvertOptions options;
    options.SetDefaults(dir.path());
    SaveOptions(program + "/", options);

    QStringList waves;
    QStringList mp3s;
    for (int i = 0; i < 10; ++i) {
        ToneSpec tone;
        tone.seconds = 60;
        tone.frequency = 300 + 50 * i;
        waves << dir.filePath(QString("w%1.wav").arg(i));
        mp3s << dir.filePath(QString("m%1.mp3").arg(i));
        if (!WriteToneWave(waves.back(), tone) || !WriteToneMp3(mp3s.back(), tone))
            return 1;
    }
    std::printf("Batch conversion, ten 60 s 44100 Hz stereo files, one run each\n");
    const ChildRun waveBatch = RunChild(QStringList{self, "batch", "wave", program} + waves);
    const auto [waveInside, waveGap] = LastBatch(program);
    const double lame = RunToolOnEach("lame", waves, [](const QString& wave) {
        return QStringList{"--quiet", "-b", "128", wave, wave + ".lame.mp3"};
    });
    std::printf("wave to MP3: batch %.2f s, lame -b 128 %.2f s, ratio %.3f (target <= 0.6)\n",
                waveBatch.seconds, lame, waveBatch.seconds / lame);
    std::printf("  Start to end inside the window %.2f s, ratio %.3f; longest gap between 10 ms "
                "ticks %d ms (target < 50)\n",
                waveInside, waveInside / lame, waveGap);
    const ChildRun mp3Batch = RunChild(QStringList{self, "batch", "mp3", program} + mp3s);
    const auto [mp3Inside, mp3Gap] = LastBatch(program);
    const double mpg123 = RunToolOnEach("mpg123", mp3s, [](const QString& mp3) {
        return QStringList{"-q", "-w", mp3 + ".mpg123.wav", mp3};
    });
    std::printf("MP3 to wave: batch %.2f s, mpg123 -w %.2f s, ratio %.3f (target <= 1.25)\n",
                mp3Batch.seconds, mpg123, mp3Batch.seconds / mpg123);
    std::printf("  Start to end inside the window %.2f s, ratio %.3f; longest tick gap %d ms\n",
                mp3Inside, mp3Inside / mpg123, mp3Gap);

    for (const QString& wave : waves)
        QFile::remove(wave);
    ToneSpec huge;
    huge.seconds = 1024.0 * 1024 * 1024 / (44100 * 4);
    const QString big = dir.filePath("big.wav");
    if (!WriteToneWave(big, huge))
        return 1;
    const ChildRun bigBatch = RunChild({self, "batch", "wave", program, big});
    std::printf("1 GiB wave to MP3: %.1f s, peak memory %ld KiB (target < 102400), longest "
                "tick gap %d ms\n",
                bigBatch.seconds, bigBatch.maxRssKiB, LastBatch(program).second);
    return 0;
}
