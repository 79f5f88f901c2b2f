// The MP3 player (template 172): plays one MP3 file through its own hidden
// sound control, shows the file's name and folder and the playing time, and
// offers Play, Pause and Stop. It closes by itself at the end of the file.
#pragma once

#include "Dialog.h"

#include <QString>

class CFlatButton;
class CMp3Play;
class QLabel;

class CPlayerDialog : public CDialog {
    Q_OBJECT
public:
    explicit CPlayerDialog(QWidget* parent = nullptr);

    // Set by the caller before DoModal.
    QString m_strFileFolder;
    QString m_strFullPath;
    QString m_strFileName;

    void done(int result) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnProgress(int position);
    void OnFinished();
    void UpdateData(bool saveAndValidate);

    CFlatButton* m_pStopButton = nullptr;
    CFlatButton* m_pPlayButton = nullptr;
    CFlatButton* m_pPauseButton = nullptr;
    CMp3Play* m_pSoundControl = nullptr;
    QString m_strTime;
    QString m_strFile;

    QLabel* m_pTimeText = nullptr;
    QLabel* m_pFileText = nullptr;
    QLabel* m_pPicture = nullptr;
};
