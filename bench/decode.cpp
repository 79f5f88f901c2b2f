// Decoding benchmark: MP3 to wave through CMp3Play (Open, Run, OnFinished in
// a Qt event loop) against `mpg123 -w` on the same files, one run each.
// Each decode runs in a child process so its maxrss is its own. Our time is
// the child's own clock from Open to OnFinished: the child's wall time also
// holds loading Qt and starting a QApplication, which mpg123 has no part of;
// that start-up is shown apart, as the wall time of a child that only starts.
#include "ChildProcess.h"
#include "Mp3Play.h"
#include "SoundFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// Child: --decode <mp3> <wave> <report>; writes the seconds from Open to OnFinished to <report>.
int DecodeInThisProcess(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CMp3Play control;
    QElapsedTimer clock;
    int result = 1;
    QObject::connect(&control, &CMp3Play::OnFinished, [&] {
        const double seconds = clock.nsecsElapsed() / 1e9;
        control.Close();
        QFile report(argv[4]);
        if (report.open(QIODevice::WriteOnly))
            result = report.write(QByteArray::number(seconds, 'f', 6)) > 0 ? 0 : 1;
        app.quit();
    });
    QObject::connect(&control, &CMp3Play::OnError, [&](int code, const QString& text) {
        std::fprintf(stderr, "decoding failed: %d %s\n", code, qPrintable(text));
        app.quit();
    });
    clock.start();
    if (control.Open(argv[2], argv[3]) != 0)
        return 1;
    control.Run();
    app.exec();
    return result;
}

// Child: --start; the same start-up as a decoding child, without decoding.
int StartOnly(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CMp3Play control;
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}

double ReadSeconds(const QString& path) {
    QFile report(path);
    return report.open(QIODevice::ReadOnly) ? report.readAll().toDouble() : -1;
}

bool MakeToneMp3(const QString& path, double seconds) {
    ToneSpec tone;
    tone.seconds = seconds;
    return WriteToneMp3(path, tone, 128);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && QByteArray(argv[1]) == "--decode")
        return DecodeInThisProcess(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--start")
        return StartOnly(argc, argv);

    QTemporaryDir dir;
    long peak[2] = {0, 0};
    int index = 0;
    std::printf("%-8s %10s %10s %8s %10s %10s %8s %12s %12s\n", "tone", "ours s", "mpg123 s",
                "ratio", "child s", "start s", "ratio'", "ours KiB", "mpg123 KiB");
    for (double seconds : {60.0, 600.0}) {
        const QString mp3 = dir.filePath(QString("tone%1.mp3").arg(seconds));
        if (!MakeToneMp3(mp3, seconds)) {
            std::fprintf(stderr, "lame failed\n");
            return 1;
        }
        const QString self = QString::fromLocal8Bit(argv[0]);
        const ChildRun start = RunChild({self, "--start"});
        const QString report = dir.filePath("inside");
        const ChildRun ours = RunChild({self, "--decode", mp3, dir.filePath("ours.wav"), report});
        const ChildRun theirs = RunChild({"mpg123", "-q", "-w", dir.filePath("theirs.wav"), mp3});
        const double inside = ReadSeconds(report);
        if (start.seconds < 0 || ours.seconds < 0 || theirs.seconds < 0 || inside < 0) {
            std::fprintf(stderr, "a decode failed\n");
            return 1;
        }
        const double childLessStart = ours.seconds - start.seconds;
        std::printf("%-8s %10.3f %10.3f %8.2f %10.3f %10.3f %8.2f %12ld %12ld\n",
                    qPrintable(QString("%1 s").arg(seconds)), inside, theirs.seconds,
                    inside / theirs.seconds, ours.seconds, start.seconds,
                    childLessStart / theirs.seconds, ours.maxRssKiB, theirs.maxRssKiB);
        peak[index++] = ours.maxRssKiB;
    }
    std::printf("ours: Open to OnFinished inside the child; ratio' = (child - start) / mpg123\n");
    std::printf("peak memory, 600 s file minus 60 s file: %ld KiB (target at most 10240)\n",
                peak[1] - peak[0]);
    return 0;
}
