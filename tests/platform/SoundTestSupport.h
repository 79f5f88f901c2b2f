// Helpers shared by the sound tests of this folder.
#pragma once

#include "SoundControl.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <vector>

// Little-endian bytes of `value`, for hand-built file headers.
template <typename T> QByteArray LittleEndian(T value) {
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}
constexpr auto Le16 = LittleEndian<quint16>;
constexpr auto Le32 = LittleEndian<quint32>;

// Frames of an MP3 file as the independent ffprobe tool counts them.
inline int CountFramesWithFfprobe(const QString& path) {
    QByteArray output;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-count_packets", "-select_streams", "a:0", "-show_entries",
                  "stream=nb_read_packets", "-of", "csv=p=0", path},
                 &output))
        return -1;
    return output.trimmed().split(',').first().toInt(); // csv may end in a comma
}

// Everything a control told its owner, and on which thread.
struct EventLog {
    std::vector<int> progress;
    int finished = 0;
    std::vector<int> errorCodes;
    QStringList errorTexts;
    QStringList order; // "progress", "finished", "error"
    bool offThread = false;

    void Attach(SoundControl& control) {
        QObject::connect(&control, &SoundControl::Progress, [this](int position) {
            Note("progress");
            progress.push_back(position);
        });
        QObject::connect(&control, &SoundControl::Finished, [this] {
            Note("finished");
            ++finished;
        });
        QObject::connect(&control, &SoundControl::Failed, [this](int code, const QString& text) {
            Note("error");
            errorCodes.push_back(code);
            errorTexts << text;
        });
    }
    void Note(const QString& what) {
        order << what;
        offThread = offThread || QThread::currentThread() != qApp->thread();
    }
    bool Ended() const { return finished > 0 || !errorCodes.empty(); }
    int Last() const { return progress.empty() ? -1 : progress.back(); }
};

// A control that tells its own log everything.
struct LoggedControl {
    SoundControl control;
    EventLog log;
    LoggedControl() { log.Attach(control); }
};
