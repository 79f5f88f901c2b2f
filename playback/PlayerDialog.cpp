#include "PlayerDialog.h"

#include "Bitmaps.h"
#include "DialogUnits.h"
#include "FlatButton.h"
#include "MessageBox.h"
#include "Mp3Play.h"
#include "PlayingTime.h"
#include "resource.h"

#include <QLabel>

namespace {

QLabel* AddText(QWidget* parent, int id, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::number(id));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

// The controls in template order, which is also the tab order.
CPlayerDialog::CPlayerDialog(QWidget* parent) : CDialog(parent) {
    setObjectName(QString::number(IDD_PLAYER));
    setWindowTitle("Dialog");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(DialogRect(0, 0, 181, 85).size());

    m_pSoundControl = new CMp3Play(this);
    m_pSoundControl->setObjectName(QString::number(IDC_PLAYER_CONTROL));
    m_pSoundControl->setGeometry(DialogRect(17, 20, 6, 6));
    connect(m_pSoundControl, &CMp3Play::OnProgress, this, &CPlayerDialog::OnProgress);
    connect(m_pSoundControl, &CMp3Play::OnFinished, this, &CPlayerDialog::OnFinished);

    m_pTimeText = AddText(this, IDC_PLAYER_TIME, DialogRect(62, 42, 66, 13));
    m_pPlayButton = new CFlatButton(this);
    m_pPauseButton = new CFlatButton(this);
    m_pStopButton = new CFlatButton(this);
    const struct {
        CFlatButton* button;
        int id;
        int x;
        void (CPlayerDialog::*handler)();
    } buttons[] = {
        {m_pPlayButton, IDC_PLAYER_PLAY, 31, &CPlayerDialog::OnPlay},
        {m_pPauseButton, IDC_PLAYER_PAUSE, 82, &CPlayerDialog::OnPause},
        {m_pStopButton, IDC_PLAYER_STOP, 133, &CPlayerDialog::OnStop},
    };
    for (const auto& place : buttons) {
        place.button->setObjectName(QString::number(place.id));
        place.button->setGeometry(DialogRect(place.x, 62, 34, 11));
        connect(place.button, &QPushButton::clicked, this, place.handler);
    }
    m_pFileText = AddText(this, IDC_PLAYER_FILE, DialogRect(35, 16, 132, 23));

    // A picture control takes its bitmap's size.
    m_pPicture = new QLabel(this);
    m_pPicture->setPixmap(LoadBitmap(IDB_PLAY));
    m_pPicture->move(DialogUnitsToPixelsX(16), DialogUnitsToPixelsY(19));
    m_pPicture->resize(m_pPicture->pixmap().deviceIndependentSize().toSize());
}

bool CPlayerDialog::OnInitDialog() {
    const bool result = CDialog::OnInitDialog();
    m_pPlayButton->SetCaption("Play");
    m_pPauseButton->SetCaption("Pause");
    m_pStopButton->SetCaption("Stop");
    m_pSoundControl->hide();
    setWindowTitle(m_strFileName + " Playing ...");
    if (m_pSoundControl->Open(m_strFullPath, QString()) != 0) {
        ShowMessage("Can not play this mp3 file!", "Error", MB_OK, this);
        done(Rejected); // it closes as soon as initialisation returns
    }
    // The design's "\r\n" is the Linux line end here.
    m_strFile = QString("%1%2%3").arg(m_strFileName, "\nFrom ", m_strFileFolder);
    UpdateData(false);
    m_pSoundControl->Run(); // does nothing when Open failed
    return result;
}

void CPlayerDialog::OnOK() {
    UpdateData(true);
    CDialog::OnOK();
}

// Windows destroys the window, and the sound control with it, when a dialog
// ends. Here the window only hides until its object goes, so the sound ends
// with the dialog, however it closes.
void CPlayerDialog::done(int result) {
    m_pSoundControl->Close();
    CDialog::done(result);
}

void CPlayerDialog::OnPlay() {
    m_pSoundControl->Run();
}

void CPlayerDialog::OnPause() {
    m_pSoundControl->Pause();
}

void CPlayerDialog::OnStop() {
    m_pSoundControl->Stop();
    OnOK();
}

void CPlayerDialog::OnProgress(int position) {
    m_strTime = PlayingTimeText(
        PlayingSeconds(position, m_pSoundControl->GetUnitMs(), m_pSoundControl->GetMusicMs()));
    UpdateData(false);
}

void CPlayerDialog::OnFinished() {
    OnOK();
}

// The texts are static: reading them back changes nothing.
void CPlayerDialog::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_strTime = m_pTimeText->text();
        m_strFile = m_pFileText->text();
    } else {
        m_pTimeText->setText(m_strTime);
        m_pFileText->setText(m_strFile);
        m_pFileText->setToolTip(m_strFile); // a long folder does not fit
    }
}
