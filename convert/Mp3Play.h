// The sound control as the windows hold it: a hidden child widget (control
// 1000 in the main window, 1052 in the player) whose members and events are
// the ones the windows call. Events arrive on the thread that owns it.
#pragma once

#include "SoundControl.h"

#include <QString>
#include <QWidget>

class CMp3Play : public QWidget {
    Q_OBJECT
public:
    explicit CMp3Play(QWidget* parent = nullptr);

    // 0 = opened, 712 = not enough disk space for the destination, other = failure
    // (the SoundResult codes). An empty destination opens for playing or measuring.
    short Open(const QString& source, const QString& destination);
    short Run();
    short Pause();
    short Stop();
    short Close();
    int GetLength() const;     // frames
    float GetUnitMs() const;   // one frame in milliseconds
    double GetMusicMs() const; // the music, without the encoder's delay and padding

signals:
    void OnProgress(int position);
    void OnFinished();
    void OnError(int code, const QString& text); // event 3

private:
    SoundControl m_control;
};
