// The main window: the skinned face of Brindle that owns the file list, the
// progress bars, the status label, the picture buttons, the options and the
// state of a running batch. Every user action reaches it as a command id or a
// list notification and runs the handler its command table names.
#pragma once

#include "ColorLabel.h"
#include "ConvertOptions.h"
#include "HoverStatic.h"
#include "Mp3Play.h"
#include "SoundListCtrl.h"
#include "ToolTipDialog.h"
#include "WorkerThreads.h"

#include <QIcon>
#include <QPointer>
#include <QProgressBar>
#include <QString>

#include <array>
#include <deque>
#include <unordered_set>

class QLabel;
class QMenu;
enum class SoundFileKind;

enum ConversionDirection { MP3_TO_WAVE = 0, WAVE_TO_MP3 = 1 };

// The two step messages a batch sends itself.
constexpr int WM_USER = 0x0400;
constexpr int WM_MP3TOWAVE_STEP = WM_USER + 101;
constexpr int WM_WAVETOMP3_STEP = WM_USER + 102;

// System commands of the window's own system menu.
constexpr int SC_MOVE = 0xF010;
constexpr int SC_MINIMIZE = 0xF020;
constexpr int SC_CLOSE = 0xF060;
constexpr int SC_RESTORE = 0xF120;

// Notifications of the file list.
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;
constexpr int LVN_KEYDOWN = -155;

struct NotifyInfo {
    int code = 0;
    int key = 0; // the key of LVN_KEYDOWN (a Qt::Key)
};

class CMainDialog : public CToolTipDialog {
    Q_OBJECT
public:
    // `programFolder` holds option.opt; by default the settings folder of
    // ProgramFolder.h (beside the executable in the build tree).
    explicit CMainDialog(QWidget* parent = nullptr, const QString& programFolder = QString());
    ~CMainDialog() override;

    // Runs the handler the command table names for a command id, a list
    // notification or a step message.
    void OnCommand(int id);
    void OnNotify(const NotifyInfo& notify);
    void SendStep(int message);
    void OnSysCommand(int command);

    // Files and folders given at start-up: the first sound file among them
    // chooses the direction, then they join the list as a drop of them would.
    void OpenFiles(const QStringList& paths);
    // A worker is walking dropped folders, or drops wait for it.
    bool IsWalkingFolders() const { return m_bWalking; }

    ConversionDirection Direction() const { return m_nDirection; }
    const QString& ProgramFolder() const { return m_strProgramFolder; }
    CHoverStatic* Button(int controlId);
    CSoundListCtrl* FileList() { return m_pList; }

protected:
    bool OnInitDialog() override;
    void OnOK() override {} // Enter does nothing in the main window.
    void OnCancel() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    friend struct CommandTable;

    void CreateControls();
    void CreateSystemMenu();
    bool LoadOptions();
    void StartDragging(QMouseEvent* event);

    // This window's own commands.
    void OnMinimize();
    void OnMp3ToWave();
    void OnWaveToMp3();
    SoundFileKind SourceKind() const; // the kind the direction converts
    void OnExit();
    void OnHelp();
    void OnVisitWebsite();
    void OnAbout();

    // File list commands.
    void InitFileList();
    void OnAddFiles();
    void OnDropFiles(const QStringList& paths);
    void StartNextWalk();
    void InsertWalkedFiles(const QStringList& files);
    void StopWalks();
    void OnClearMenu();
    void OnClearAll();
    void OnClearChecked();
    void OnDeleteItem();
    void OnMoveTop();
    void OnMoveUp();
    void OnMoveDown();
    void OnMoveBottom();
    void OnCheckAll();
    void OnUncheckAll();
    void OnReverseChecks();
    void OnRenameFile();
    void OnListClick(const NotifyInfo& notify);
    void OnListKeyDown(const NotifyInfo& notify);
    void OnListRightClick(const NotifyInfo& notify);

    // Playing list files.
    void OnPlayFile();
    void OnStopPlaying();
    void OnListDoubleClick(const NotifyInfo& notify);
    void PlayListFile(bool toggleMarkedWave);

    // Options.
    void OnOptions();
    ConvertOptions CurrentOptions() const;
    void TakeOptions(const ConvertOptions& options);

    // Conversion.
    enum class StepEnd { Started, NextRow, Stopped };
    void OnStart();
    void OnMp3ToWaveStep();
    void OnWaveToMp3Step();
    void OnProgress(int position);
    void OnFinished();
    void OnSoundError(int code, const QString& text);
    void AdvanceBatch(int message);
    void EndBatch();
    bool EnsureFolder(const QString& folder);
    void StopConversion();
    void CountFilesToConvert();
    void RunSteps(int message);
    StepEnd WaveStep();
    StepEnd Mp3Step();
    bool MoveToNextCheckedRow();
    void SetCurrentRow(int row);
    int CurrentBatchRow();
    void SetCurrentStatus(const QString& status);
    void ForgetBatchRow(int row);
    void NoteInsertedRows(int row, int count);
    void ForgetAllBatchRows();
    void SetStatus(int row, const QString& status);
    void ShowCounter();
    void ShowBars();
    void HideBars();
    void StartEncodeWorker();
    void FinishWaveFile();
    void FailWaveFile(const QString& message, bool fileAtFault);

    QString m_strProgramFolder;

    // Options (see ConvertOptions), loaded from option.opt at initialisation.
    QString m_strWaveFolder;
    QString m_strMp3Folder;
    qint32 m_bAutoCreate = 0;
    qint32 m_bSameFolder = 1;
    qint32 m_nBitrate = 128;
    qint32 m_nChannelMode = 0;
    QPointer<QMenu> m_pContextMenu; // the open row menu; null once it is gone
    // Batch state.
    qint32 m_nFilesStarted = 0;
    qint32 m_nFilesTotal = 0;
    qint32 m_nRowCount = 0;
    qint32 m_nCurRow = 0;
    // The batch follows rows by their records: the rows of the batch, the
    // current one, and where the current one stood if it was deleted.
    std::unordered_set<const CItemDataBase*> m_batchItems;
    const CItemDataBase* m_pCurItem = nullptr;
    int m_nDeletedAt = -1;
    qint32 m_bMinimize = 0;
    ConversionDirection m_nDirection = MP3_TO_WAVE;
    CColorLabel* m_pStatusLabel = nullptr;
    std::array<CHoverStatic*, 18> m_buttons{};
    QProgressBar* m_pFileProgress = nullptr;
    QProgressBar* m_pBatchProgress = nullptr;
    CSoundListCtrl* m_pList = nullptr;
    CMp3Play* m_pSoundControl = nullptr;
    qint32 m_lFileLength = 0;
    qint32 m_lDoneLength = 0;
    // The worker's files: the wave step sets them before it starts a worker.
    QString m_strSourceFile;
    QString m_strTargetFile;
    CWorkerThreads m_workerThreads; // stopped before the controls go
    // Dropped paths wait here, each with the kind of its moment, until the
    // walk before them ends; the running walk inserts its rows at m_nWalkRow.
    struct PendingWalk {
        QStringList paths;
        SoundFileKind kind;
    };
    std::deque<PendingWalk> m_pendingWalks;
    bool m_bWalking = false;
    int m_nWalkRow = 0;
    CWorkerThreads m_folderWalker; // stopped before the walk's state goes
    QIcon m_hMainIcon;

    QLabel* m_pBackground = nullptr;
    QMenu* m_pSystemMenu = nullptr;
    QPoint m_dragOffset; // used where the platform will not move the window itself
    bool m_bDraggingByHand = false;
};
