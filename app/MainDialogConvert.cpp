// Conversion in the main window: Start, the chain of steps one checked row
// after another, the wave-to-MP3 workers and MP3-to-wave decoding on the
// sound control, the counter, the two bars and each row's status.
#include "MainDialog.h"

#include "BatchText.h"
#include "EncodeWorker.h"
#include "MessageBox.h"
#include "Paths.h"
#include "Strings.h"
#include "resource.h"

#include <QFile>

#include <sys/stat.h>

namespace {

using Column = CSoundListCtrl::Column;

constexpr short kNoDiskSpace = 712;

bool MakeFolder(const QString& folder) {
    return ::mkdir(QFile::encodeName(folder).constData(), 0777) == 0;
}

} // namespace

void CMainDialog::OnStart() {
    Button(IDC_START)->ShowNormalBitmap();
    const int rowCount = m_pList->GetItemCount();
    for (int row = 0; row < rowCount; ++row)
        SetStatus(row, QString());
    int firstChecked = 0;
    while (firstChecked < rowCount && !m_pList->GetCheck(firstChecked))
        ++firstChecked;
    if (firstChecked == rowCount) {
        ShowMessage("You must select one item at least!", "Error", MB_OK, this);
        return;
    }
    // A new batch begins again from the top: one still running ends first.
    StopConversion();
    m_nRowCount = rowCount;
    m_batchItems.clear();
    for (int row = 0; row < rowCount; ++row)
        m_batchItems.insert(m_pList->GetItemData(row));
    SetCurrentRow(firstChecked);
    CountFilesToConvert();
    SendStep(m_nDirection == WAVE_TO_MP3 ? WM_WAVETOMP3_STEP : WM_MP3TOWAVE_STEP);
}

void CMainDialog::StopConversion() {
    m_workerThreads.Stop();
    m_pSoundControl->Close();
}

// Counts the checked files of the direction's kind (M) and marks the other
// checked rows "Failed"; MP3 files count only when the sound control opens
// them, and their lengths make the batch bar's range.
void CMainDialog::CountFilesToConvert() {
    m_nFilesStarted = 0;
    m_nFilesTotal = 0;
    const bool toMp3 = m_nDirection == WAVE_TO_MP3;
    qint32 totalLength = 0;
    for (int row = 0; row < m_nRowCount; ++row) {
        if (!m_pList->GetCheck(row))
            continue;
        const QString path = m_pList->GetFullPath(row);
        if (SoundFileKindOf(path) != SourceKind()) {
            SetStatus(row, kStatusFailed);
        } else if (toMp3) {
            ++m_nFilesTotal;
        } else if (m_pSoundControl->Open(path, QString()) == 0) {
            ++m_nFilesTotal;
            totalLength += m_pSoundControl->GetLength();
            m_pSoundControl->Close();
        }
    }
    m_pBatchProgress->setValue(0);
    if (toMp3) {
        m_pBatchProgress->setRange(0, m_nFilesTotal);
        return;
    }
    m_lDoneLength = 0;
    m_lFileLength = 0;
    m_pBatchProgress->setRange(0, totalLength);
}

void CMainDialog::OnWaveToMp3Step() {
    RunSteps(WM_WAVETOMP3_STEP);
}

void CMainDialog::OnMp3ToWaveStep() {
    RunSteps(WM_MP3TOWAVE_STEP);
}

// A step that fails and goes on hands over to the next checked row here,
// rather than by sending the next step from inside itself, so a long run of
// failing rows does not nest one call per row.
void CMainDialog::RunSteps(int message) {
    const bool toMp3 = message == WM_WAVETOMP3_STEP;
    while ((toMp3 ? WaveStep() : Mp3Step()) == StepEnd::NextRow) {
        if (!MoveToNextCheckedRow()) {
            // A failing MP3 row at the end stops the batch without EndBatch,
            // so a window minimised by the option stays minimised.
            if (toMp3)
                EndBatch();
            return;
        }
    }
}

CMainDialog::StepEnd CMainDialog::WaveStep() {
    const QString name = m_pList->GetItemText(m_nCurRow, Column::COLUMN_NAME);
    const QString source = m_pList->GetFullPath(m_nCurRow);
    if (SoundFileKindOf(source) != SoundFileKind::Wave) {
        SetStatus(m_nCurRow, kStatusFailed);
        return StepEnd::NextRow;
    }
    m_strSourceFile = source;
    if (m_bSameFolder) {
        m_strTargetFile = ReplaceExtension(source, ".mp3");
    } else {
        if (!EnsureFolder(m_strMp3Folder)) { // its question lets the user change the list
            SetCurrentStatus(kStatusFailed);
            return StepEnd::NextRow;
        }
        m_strTargetFile = JoinFolderAndName(m_strMp3Folder, ReplaceExtension(name, ".mp3"));
    }
    ShowBars();
    ++m_nFilesStarted;
    ShowCounter();
    StartEncodeWorker();
    return StepEnd::Started;
}

void CMainDialog::StartEncodeWorker() {
    const EncodeJob job{m_strSourceFile, m_strTargetFile, m_nBitrate, m_nChannelMode};
    const EncodeWindowCalls window{
        [this](int maximum) {
            m_pFileProgress->setValue(0);
            m_pFileProgress->setRange(0, maximum);
        },
        [this](int position) { m_pFileProgress->setValue(position); },
        [this] { FinishWaveFile(); },
        [this](const QString& message, bool fileAtFault) { FailWaveFile(message, fileAtFault); },
    };
    m_workerThreads.Start([job, window, this] { EncodeWaveThread(job, m_workerThreads, window); });
}

// The end of a worker's file, carried out on the UI thread while it waits.
void CMainDialog::FinishWaveFile() {
    m_pBatchProgress->setValue(m_nFilesStarted);
    SetCurrentStatus(kStatusSuccess);
    AdvanceBatch(WM_WAVETOMP3_STEP);
}

// A failed file, reported by its worker on the UI thread while it waits. The
// file's own fault (malformed, unreadable) passes on to the next checked row;
// a failure of the destination or the encoder stops the batch, and the window
// shows that it stopped.
void CMainDialog::FailWaveFile(const QString& message, bool fileAtFault) {
    if (!message.isEmpty())
        ShowMessage(message, "Error", MB_OK, nullptr);
    SetCurrentStatus(kStatusFailed);
    if (fileAtFault) {
        m_pBatchProgress->setValue(m_nFilesStarted);
        AdvanceBatch(WM_WAVETOMP3_STEP);
    } else {
        EndBatch();
    }
}

CMainDialog::StepEnd CMainDialog::Mp3Step() {
    ++m_nFilesStarted;
    const QString folder = m_pList->GetItemText(m_nCurRow, Column::COLUMN_FOLDER);
    const QString name = m_pList->GetItemText(m_nCurRow, Column::COLUMN_NAME);
    const QString source = JoinFolderAndName(folder, name);
    const QString targetName = ReplaceExtension(name, ".wav");
    QString destination;
    if (m_bSameFolder) {
        destination = JoinFolderAndName(folder, targetName);
    } else {
        if (!EnsureFolder(m_strWaveFolder))
            return StepEnd::Stopped;
        destination = JoinFolderAndName(m_strWaveFolder, targetName);
    }
    const short result = m_pSoundControl->Open(source, destination);
    if (result == 0) {
        ShowCounter();
        m_pFileProgress->setValue(0);
        m_pFileProgress->setRange(0, m_pSoundControl->GetLength());
        m_lFileLength = m_pSoundControl->GetLength();
        ShowBars();
        m_pSoundControl->Run();
        return StepEnd::Started;
    }
    HideBars();
    if (result == kNoDiskSpace) {
        ShowMessage("You have not enough disk space!", "Error", MB_OK, this);
        const int current = CurrentBatchRow(); // the box let the user change the list
        for (int row = current < 0 ? m_nDeletedAt : current; row < m_pList->GetItemCount(); ++row)
            if (m_batchItems.contains(m_pList->GetItemData(row)))
                SetStatus(row, kStatusMp3Failed);
        return StepEnd::Stopped;
    }
    SetCurrentStatus(kStatusMp3Failed); // a box may have let the user change the list
    return StepEnd::NextRow;
}

void CMainDialog::OnProgress(int position) {
    m_pFileProgress->setValue(position);
    m_pBatchProgress->setValue(m_lDoneLength + position);
}

void CMainDialog::OnFinished() {
    m_lDoneLength += m_lFileLength;
    m_pSoundControl->Close();
    SetCurrentStatus(kStatusSuccess);
    AdvanceBatch(WM_MP3TOWAVE_STEP);
}

// The control stopped decoding (disk full, read error, the file cut short):
// the row failed and the batch goes on instead of waiting for ever.
void CMainDialog::OnSoundError(int, const QString&) {
    m_lDoneLength += m_lFileLength;
    m_pSoundControl->Close();
    SetCurrentStatus(kStatusMp3Failed);
    AdvanceBatch(WM_MP3TOWAVE_STEP);
}

void CMainDialog::AdvanceBatch(int message) {
    if (MoveToNextCheckedRow())
        SendStep(message);
    else
        EndBatch();
}

// The batch follows the record of the row it converts, so moving, sorting or
// deleting rows meanwhile never puts a status on another file's row: the next
// row is the next checked row of the batch after that record's row, in the
// list's order of the moment.
bool CMainDialog::MoveToNextCheckedRow() {
    int row = CurrentBatchRow();
    if (row < 0)
        row = m_nDeletedAt - 1; // its successor moved up into its place
    m_nDeletedAt = -1;
    while (++row < m_pList->GetItemCount()) {
        if (m_pList->GetCheck(row) && m_batchItems.contains(m_pList->GetItemData(row))) {
            SetCurrentRow(row);
            return true;
        }
    }
    m_pCurItem = nullptr;
    return false;
}

void CMainDialog::SetCurrentRow(int row) {
    m_nCurRow = row;
    m_pCurItem = m_pList->GetItemData(row);
}

// Where the current record's row is now; -1 once it was deleted.
int CMainDialog::CurrentBatchRow() {
    if (!m_pCurItem)
        return -1;
    if (m_pList->GetItemData(m_nCurRow) != m_pCurItem)
        m_nCurRow = m_pList->RowOf(m_pCurItem);
    return m_nCurRow;
}

// A row deleted while its file converts only loses its status.
void CMainDialog::SetCurrentStatus(const QString& status) {
    const int row = CurrentBatchRow();
    if (row >= 0)
        SetStatus(row, status);
}

void CMainDialog::ForgetBatchRow(int row) {
    const CItemDataBase* item = m_pList->GetItemData(row);
    m_batchItems.erase(item);
    if (item == m_pCurItem) {
        m_nDeletedAt = row;
        m_pCurItem = nullptr;
    } else if (!m_pCurItem && row < m_nDeletedAt) {
        --m_nDeletedAt;
    }
}

// Rows a folder walk inserts at or above a deleted current row's place push
// its successor down.
void CMainDialog::NoteInsertedRows(int row, int count) {
    if (!m_pCurItem && m_nDeletedAt >= row)
        m_nDeletedAt += count;
}

void CMainDialog::ForgetAllBatchRows() {
    m_batchItems.clear();
    m_pCurItem = nullptr;
    m_nDeletedAt = 0;
}

void CMainDialog::EndBatch() {
    HideBars();
    if (m_bMinimize)
        showNormal();
}

void CMainDialog::SetStatus(int row, const QString& status) {
    m_pList->SetItemText(row, Column::COLUMN_STATUS, status);
}

void CMainDialog::ShowCounter() {
    const QString counter = BatchCounterText(m_nFilesStarted, m_nFilesTotal);
    m_pStatusLabel->setText(counter);
    setWindowTitle(counter);
}

void CMainDialog::ShowBars() {
    m_pBatchProgress->show();
    m_pFileProgress->show();
    if (m_bMinimize)
        showMinimized();
}

// Hides the bars, empties the counter and gives the title back.
void CMainDialog::HideBars() {
    m_pFileProgress->hide();
    m_pBatchProgress->hide();
    m_pStatusLabel->setText(QString());
    setWindowTitle(kProductTitle);
}

// Only the last level is created; a missing parent makes it fail.
bool CMainDialog::EnsureFolder(const QString& folder) {
    if (IsFolder(folder))
        return true;
    if (!m_bAutoCreate && ShowMessage("Destination folder doesn't exist, do you want to create it?",
                                      "Message", MB_OKCANCEL, this) != IDOK)
        return false;
    const QString toCreate = m_bAutoCreate && folder.endsWith('/') ? folder.chopped(1) : folder;
    if (MakeFolder(toCreate))
        return true;
    ShowMessage("Can not create folder!", "Error", MB_OK, this);
    return false;
}
