#include "Mp3Play.h"

CMp3Play::CMp3Play(QWidget* parent) : QWidget(parent) {
    hide();
    connect(&m_control, &SoundControl::Progress, this, &CMp3Play::OnProgress);
    connect(&m_control, &SoundControl::Finished, this, &CMp3Play::OnFinished);
    connect(&m_control, &SoundControl::Failed, this, &CMp3Play::OnError);
}

short CMp3Play::Open(const QString& source, const QString& destination) {
    return short(m_control.Open(source, destination));
}

short CMp3Play::Run() {
    m_control.Run();
    return 0;
}

short CMp3Play::Pause() {
    m_control.Pause();
    return 0;
}

short CMp3Play::Stop() {
    m_control.Stop();
    return 0;
}

short CMp3Play::Close() {
    m_control.Close();
    return 0;
}

int CMp3Play::GetLength() const {
    return m_control.GetLength();
}

float CMp3Play::GetUnitMs() const {
    return m_control.GetUnitMs();
}

double CMp3Play::GetMusicMs() const {
    return m_control.GetMusicMs();
}
