// Playing the files of the list: the Play button, the row menu's "&Play" and
// "&Stop", and a double click on a row. Wave files play in the background
// through the wave player and mark their row "playing ..."; MP3 files play in
// the modal player dialog, through its own sound control, so a running batch
// keeps the main window's.
#include "MainDialog.h"

#include "MessageBox.h"
#include "Paths.h"
#include "PlayerDialog.h"
#include "WavePlayer.h"
#include "resource.h"

namespace {

using Column = CSoundListCtrl::Column;

// The selected row, or -1 after telling the user to select one.
int SelectedSoundRow(CSoundListCtrl* list, QWidget* owner) {
    const int row = list->GetSelectedRow();
    if (row < 0)
        ShowMessage("Please select a sound file first!", "Error", MB_OK, owner);
    return row;
}

bool IsMarkedPlaying(CSoundListCtrl* list, int row) {
    return list->GetItemText(row, Column::COLUMN_STATUS) == kStatusPlaying;
}

void ShowNotSoundFile(QWidget* owner) {
    ShowMessage("The file you selected is not a mp3 file or a wave file!", QString(), MB_OK, owner);
}

} // namespace

void CMainDialog::OnPlayFile() {
    Button(IDC_PLAY)->ShowNormalBitmap();
    PlayListFile(false);
}

void CMainDialog::OnListDoubleClick(const NotifyInfo&) {
    PlayListFile(true);
}

// Play, and the double click, which stops a marked wave row instead.
void CMainDialog::PlayListFile(bool toggleMarkedWave) {
    const int row = SelectedSoundRow(m_pList, this);
    if (row < 0)
        return;
    const QString name = m_pList->GetItemText(row, Column::COLUMN_NAME);
    switch (SoundFileKindOf(name)) {
    case SoundFileKind::Mp3: {
        CPlayerDialog player(this);
        player.m_strFileName = name;
        player.m_strFileFolder = m_pList->GetItemText(row, Column::COLUMN_FOLDER);
        player.m_strFullPath = m_pList->GetFullPath(row);
        player.DoModal();
        return;
    }
    case SoundFileKind::Wave:
        if (toggleMarkedWave && IsMarkedPlaying(m_pList, row)) {
            StopWavePlaying();
            SetStatus(row, QString());
            return;
        }
        if (!PlayWaveFile(m_pList->GetFullPath(row))) {
            ShowMessage("Can not play wave file!", QString(), MB_OK, this);
            return;
        }
        for (int marked = 0; marked < m_pList->GetItemCount(); ++marked)
            if (IsMarkedPlaying(m_pList, marked)) {
                SetStatus(marked, QString());
                break;
            }
        SetStatus(row, kStatusPlaying);
        return;
    case SoundFileKind::Other:
        ShowNotSoundFile(this);
        return;
    }
}

void CMainDialog::OnStopPlaying() {
    const int row = SelectedSoundRow(m_pList, this);
    if (row < 0)
        return;
    switch (SoundFileKindOf(m_pList->GetItemText(row, Column::COLUMN_NAME))) {
    case SoundFileKind::Mp3: // an MP3 file plays only inside the modal player
        return;
    case SoundFileKind::Wave:
        if (IsMarkedPlaying(m_pList, row)) {
            StopWavePlaying();
            SetStatus(row, QString());
        }
        return;
    case SoundFileKind::Other:
        ShowNotSoundFile(this);
        return;
    }
}
