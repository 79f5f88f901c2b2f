#include "MainDialog.h"

#include "AboutDialog.h"
#include "Bitmaps.h"
#include "DesktopOpener.h"
#include "DialogUnits.h"
#include "MessageBox.h"
#include "OptionFile.h"
#include "Paths.h"
#include "ProcessEnd.h"
#include "ProgramFolder.h"
#include "SplashWindow.h"
#include "Strings.h"
#include "WebAddress.h"
#include "resource.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QWindow>

namespace {

enum class MessageKind { Command, Notify, Step };

struct MessageEntry {
    MessageKind kind;
    int id;
    void (CMainDialog::*onCommand)() = nullptr;
    void (CMainDialog::*onNotify)(const NotifyInfo&) = nullptr;
};

// A skinned button of the window: its id, its picture at start and its place
// in dialog units (its size is its picture's).
struct ButtonPlace {
    int id;
    int bitmap;
    int x;
    int y;
};

constexpr ButtonPlace kButtonPlaces[] = {
    {IDC_MINIMIZE, IDB_MINIMIZE, 259, 35},
    {IDC_MOVE_TOP, IDB_TOP, 406, 105},
    {IDC_MOVE_UP, IDB_UP, 406, 138},
    {IDC_MOVE_DOWN, IDB_DOWN, 406, 204},
    {IDC_MOVE_BOTTOM, IDB_BOTTOM, 406, 237},
    {IDC_PLAY, IDB_PLAY, 406, 171},
    {IDC_MP3TOWAVE, IDB_MP3TOWAVE_CHECKED, 33, 58},
    {IDC_WAVETOMP3, IDB_WAVETOMP3, 145, 58},
    {IDC_CHECK_ALL, IDB_CHECKALL, 293, 50},
    {IDC_UNCHECK_ALL, IDB_UNCHECKALL, 327, 50},
    {IDC_REVERSE_CHECKS, IDB_REVERSE, 361, 50},
    {IDC_ADD_FILES, IDB_ADD, 14, 32},
    {IDC_CLEAR_LIST, IDB_CLEAR, 62, 32},
    {IDC_START, IDB_START, 110, 32},
    {IDC_OPTIONS, IDB_OPTIONS, 158, 32},
    {IDC_EXIT, IDB_EXIT, 374, 4},
    {IDC_HELP, IDB_HELP, 206, 32},
    {IDC_WEBSITE, IDB_WEBSITE, 351, 22},
};
static_assert(std::size(kButtonPlaces) == 18);

constexpr QSize kMainWindowSize(640, 527);

} // namespace

// The main window's command table, in its documented order: one row per
// command id, list notification and step message.
struct CommandTable {
    using D = CMainDialog;
    static const std::vector<MessageEntry>& Rows() {
        static const std::vector<MessageEntry> rows = {
            {MessageKind::Command, IDC_MINIMIZE, &D::OnMinimize},
            {MessageKind::Command, IDC_MOVE_DOWN, &D::OnMoveDown},
            {MessageKind::Command, IDC_PLAY, &D::OnPlayFile},
            {MessageKind::Command, IDC_MOVE_TOP, &D::OnMoveTop},
            {MessageKind::Command, IDC_MOVE_UP, &D::OnMoveUp},
            {MessageKind::Command, IDC_MOVE_BOTTOM, &D::OnMoveBottom},
            {MessageKind::Command, IDC_MP3TOWAVE, &D::OnMp3ToWave},
            {MessageKind::Command, IDC_WAVETOMP3, &D::OnWaveToMp3},
            {MessageKind::Command, IDC_CHECK_ALL, &D::OnCheckAll},
            {MessageKind::Command, IDC_UNCHECK_ALL, &D::OnUncheckAll},
            {MessageKind::Command, IDC_REVERSE_CHECKS, &D::OnReverseChecks},
            {MessageKind::Command, IDC_ADD_FILES, &D::OnAddFiles},
            {MessageKind::Command, IDC_CLEAR_LIST, &D::OnClearMenu},
            {MessageKind::Command, IDC_START, &D::OnStart},
            {MessageKind::Command, IDC_OPTIONS, &D::OnOptions},
            {MessageKind::Command, IDC_EXIT, &D::OnExit},
            {MessageKind::Command, IDC_WEBSITE, &D::OnVisitWebsite},
            {MessageKind::Notify, NM_DBLCLK, nullptr, &D::OnListDoubleClick},
            {MessageKind::Command, IDC_HELP, &D::OnHelp},
            {MessageKind::Command, ID_CLEAR_ALL, &D::OnClearAll},
            {MessageKind::Command, ID_CLEAR_CHECKED, &D::OnClearChecked},
            {MessageKind::Command, ID_MENU_UP, &D::OnMoveUp},
            {MessageKind::Command, ID_MENU_DOWN, &D::OnMoveDown},
            {MessageKind::Command, ID_DELETE_ITEM, &D::OnDeleteItem},
            {MessageKind::Command, ID_RENAME_FILE, &D::OnRenameFile},
            {MessageKind::Command, ID_MENU_PLAY, &D::OnPlayFile},
            {MessageKind::Command, ID_MENU_STOP, &D::OnStopPlaying},
            {MessageKind::Notify, NM_CLICK, nullptr, &D::OnListClick},
            {MessageKind::Notify, LVN_KEYDOWN, nullptr, &D::OnListKeyDown},
            {MessageKind::Notify, NM_RCLICK, nullptr, &D::OnListRightClick},
            {MessageKind::Step, WM_MP3TOWAVE_STEP, &D::OnMp3ToWaveStep},
            {MessageKind::Step, WM_WAVETOMP3_STEP, &D::OnWaveToMp3Step},
        };
        return rows;
    }

    static const MessageEntry* Find(MessageKind kind, int id) {
        for (const MessageEntry& row : Rows())
            if (row.kind == kind && row.id == id)
                return &row;
        return nullptr;
    }
};

CMainDialog::CMainDialog(QWidget* parent, const QString& programFolder)
    : CToolTipDialog(parent),
      m_strProgramFolder(programFolder.isNull() ? SettingsFolder() : programFolder),
      m_hMainIcon(LoadMainIcon()) {
    setObjectName(QString::number(IDD_MAIN));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(kMainWindowSize);
    CreateControls();
    // The window exists and is not initialised yet: the splash shows while it is.
    CSplashWindow::Show(this);
}

CMainDialog::~CMainDialog() = default;

CHoverStatic* CMainDialog::Button(int controlId) {
    for (CHoverStatic* button : m_buttons)
        if (button && ControlId(button) == controlId)
            return button;
    return nullptr;
}

// The controls in template order, which is also the tab order; the
// background picture comes last and lies below everything.
void CMainDialog::CreateControls() {
    m_pSoundControl = new CMp3Play(this);
    m_pSoundControl->setObjectName(QString::number(IDC_SOUNDCONTROL));
    m_pSoundControl->setGeometry(DialogRect(306, 1, 18, 19));
    connect(m_pSoundControl, &CMp3Play::OnProgress, this, &CMainDialog::OnProgress);
    connect(m_pSoundControl, &CMp3Play::OnFinished, this, &CMainDialog::OnFinished);
    connect(m_pSoundControl, &CMp3Play::OnError, this, &CMainDialog::OnSoundError);

    m_pBatchProgress = new QProgressBar(this);
    m_pBatchProgress->setObjectName(QString::number(IDC_BATCH_PROGRESS));
    m_pBatchProgress->setGeometry(DialogRect(8, 305, 309, 11));
    m_pBatchProgress->setTextVisible(false);
    m_pBatchProgress->setAccessibleName("All files");

    m_pList = new CSoundListCtrl(this);
    m_pList->setObjectName(QString::number(IDC_FILELIST));
    m_pList->setGeometry(DialogRect(8, 81, 389, 203));
    m_pList->setAccessibleName("Sound files");

    m_pFileProgress = new QProgressBar(this);
    m_pFileProgress->setObjectName(QString::number(IDC_FILE_PROGRESS));
    m_pFileProgress->setGeometry(DialogRect(8, 290, 224, 11));
    m_pFileProgress->setTextVisible(false);
    m_pFileProgress->setAccessibleName("Current file");

    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const ButtonPlace& place = kButtonPlaces[i];
        auto* button = new CHoverStatic(this);
        button->Bind(place.id, place.bitmap);
        button->move(DialogUnitsToPixelsX(place.x), DialogUnitsToPixelsY(place.y));
        button->resize(button->pixmap().deviceIndependentSize().toSize());
        connect(button, &CHoverStatic::Clicked, this, &CMainDialog::OnCommand);
        m_buttons[i] = button;
    }

    m_pStatusLabel = new CColorLabel(this);
    m_pStatusLabel->setObjectName(QString::number(IDC_STATUS_LABEL));
    m_pStatusLabel->setGeometry(DialogRect(243, 290, 67, 11));
    m_pStatusLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_pBackground = new QLabel(this);
    m_pBackground->setPixmap(LoadBitmap(IDB_BACKGROUND));
    m_pBackground->setGeometry(QRect(QPoint(0, 0), kMainWindowSize));
    m_pBackground->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pBackground->lower();
}

bool CMainDialog::OnInitDialog() {
    const bool result = CToolTipDialog::OnInitDialog();
    CreateSystemMenu();
    setWindowIcon(m_hMainIcon);
    if (!LoadOptions()) {
        ShowMessage("Init failed!", "Error", MB_OK, this);
        EndProcess(0);
    }
    setWindowTitle(kProductTitle);
    m_pSoundControl->hide();
    InitFileList();
    m_pBatchProgress->hide();
    m_pFileProgress->hide();
    m_pStatusLabel->SetForeColor(RGB(0, 255, 255));
    m_pStatusLabel->SetBackColor(RGB(130, 135, 160));
    m_pStatusLabel->setText("");
    return result;
}

bool CMainDialog::LoadOptions() {
    ConvertOptions options;
    if (!::LoadOptions(m_strProgramFolder, options))
        return false;
    TakeOptions(options);
    return true;
}

// The window has no frame, so it offers its own system menu (Alt+Space or a
// right click on the background). Alt+Space is the window's shortcut, so it
// reaches the menu wherever the focus is, before the focused control sees it.
void CMainDialog::CreateSystemMenu() {
    m_pSystemMenu = new QMenu(this);
    m_pSystemMenu->setObjectName("systemMenu");
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this,
            [this] { m_pSystemMenu->popup(mapToGlobal(QPoint(0, 0))); });
    auto addCommand = [this](const QString& text, int command) {
        m_pSystemMenu->addAction(text, this, [this, command] { OnSysCommand(command); });
    };
    addCommand("&Restore", SC_RESTORE);
    addCommand("&Move", SC_MOVE);
    addCommand("Mi&nimize", SC_MINIMIZE);
    addCommand("&Close", SC_CLOSE);
    const QString about = LoadString(IDS_ABOUTBOX);
    if (!about.isEmpty()) {
        m_pSystemMenu->addSeparator();
        addCommand(about, ID_SYS_ABOUT);
    }
}

void CMainDialog::OnCommand(int id) {
    if (const MessageEntry* row = CommandTable::Find(MessageKind::Command, id))
        (this->*row->onCommand)();
}

void CMainDialog::OnNotify(const NotifyInfo& notify) {
    if (const MessageEntry* row = CommandTable::Find(MessageKind::Notify, notify.code))
        (this->*row->onNotify)(notify);
}

void CMainDialog::SendStep(int message) {
    if (const MessageEntry* row = CommandTable::Find(MessageKind::Step, message))
        (this->*row->onCommand)();
}

void CMainDialog::OnSysCommand(int command) {
    switch (command & 0xFFF0) {
    case ID_SYS_ABOUT:
        OnAbout();
        break;
    case SC_RESTORE:
        showNormal();
        break;
    case SC_MOVE:
        if (windowHandle())
            windowHandle()->startSystemMove();
        break;
    case SC_MINIMIZE:
        showMinimized();
        break;
    case SC_CLOSE:
        OnCancel();
        break;
    }
}

void CMainDialog::OnAbout() {
    CAboutDialog about(this);
    about.DoModal();
}

// A press on the background drags the window, as if it had a caption; the
// right button opens the system menu.
void CMainDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        m_pSystemMenu->popup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton)
        StartDragging(event);
}

void CMainDialog::StartDragging(QMouseEvent* event) {
    m_bDraggingByHand = !(windowHandle() && windowHandle()->startSystemMove());
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

// Where the window system will not move the window, it follows the mouse.
void CMainDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_bDraggingByHand && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void CMainDialog::OnMinimize() {
    Button(IDC_MINIMIZE)->ShowNormalBitmap();
    showMinimized();
}

void CMainDialog::OnMp3ToWave() {
    Button(IDC_MP3TOWAVE)->SetBitmap(IDB_MP3TOWAVE_CHECKED);
    Button(IDC_WAVETOMP3)->SetBitmap(IDB_WAVETOMP3);
    m_nDirection = MP3_TO_WAVE;
}

void CMainDialog::OnWaveToMp3() {
    Button(IDC_WAVETOMP3)->SetBitmap(IDB_WAVETOMP3_CHECKED);
    Button(IDC_MP3TOWAVE)->SetBitmap(IDB_MP3TOWAVE);
    m_nDirection = WAVE_TO_MP3;
}

SoundFileKind CMainDialog::SourceKind() const {
    return m_nDirection == WAVE_TO_MP3 ? SoundFileKind::Wave : SoundFileKind::Mp3;
}

// Esc and closing the window end a folder walk at once, before the window goes.
void CMainDialog::OnCancel() {
    StopWalks();
    CToolTipDialog::OnCancel();
}

void CMainDialog::OnExit() {
    StopConversion();
    EndProcess(0);
}

// Opens the help file beside the program; a missing file is not reported.
void CMainDialog::OnHelp() {
    Button(IDC_HELP)->ShowNormalBitmap();
    OpenDocument(HelpFolder() + "brindle_help.html");
}

// Opens the maker's web address in the browser, or says why it could not.
void CMainDialog::OnVisitWebsite() {
    Button(IDC_WEBSITE)->ShowNormalBitmap();
    const int result = OpenWebAddress(kWebAddress, SW_SHOW);
    if (result <= 32)
        ReportOpenError(result, this);
}
