// The file list's commands of the main window: adding files, removing,
// moving and checking rows, renaming a row's file, and the list's clicks,
// keys and menus.
#include "MainDialog.h"

#include "FileOps.h"
#include "FilePicker.h"
#include "FolderWalk.h"
#include "MessageBox.h"
#include "Paths.h"
#include "RenameDialog.h"
#include "resource.h"

#include <QCursor>
#include <QFileInfo>
#include <QMenu>

#include <functional>
#include <utility>
#include <vector>

namespace {

using Column = CSoundListCtrl::Column;

struct MenuEntry {
    const char* text; // nullptr for a separator
    int command;
};

constexpr MenuEntry kClearMenu[] = {{"Clear all items", ID_CLEAR_ALL},
                                    {"Clear checked item", ID_CLEAR_CHECKED}};

constexpr MenuEntry kRowMenu[] = {
    {"&Up", ID_MENU_UP},
    {"&Down", ID_MENU_DOWN},
    {nullptr, 0},
    {"&Rename File", ID_RENAME_FILE},
    {"&Delete Item", ID_DELETE_ITEM},
    {nullptr, 0},
    {"&Play", ID_MENU_PLAY},
    {"&Stop", ID_MENU_STOP},
};

// Opens a pop-up menu at the cursor whose choices reach `onCommand`; the menu
// deletes itself once it closes.
template <size_t N>
QMenu* PopupMenu(QWidget* owner, int menuId, const MenuEntry (&entries)[N],
                 const std::function<void(int)>& onCommand) {
    auto* menu = new QMenu(owner);
    menu->setObjectName(QString::number(menuId));
    for (const MenuEntry& entry : entries) {
        if (!entry.text)
            menu->addSeparator();
        else
            menu->addAction(entry.text, menu, [onCommand, id = entry.command] { onCommand(id); });
    }
    QObject::connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->popup(QCursor::pos());
    return menu;
}

OpenFileRequest AddFilesRequest(ConversionDirection direction) {
    if (direction == WAVE_TO_MP3)
        return {"Open File", "*.wav(Media File)", "*.wav"};
    return {"Open File", "*.mp3(Mp3 File)", "*.mp3"};
}

// Records for the chosen paths, last path first: every row of one choice is
// inserted at the same index, so the list shows them in reverse order.
std::vector<std::unique_ptr<CItemDataBase>> RecordsInReverse(const QStringList& paths) {
    std::vector<std::unique_ptr<CItemDataBase>> records;
    records.reserve(size_t(paths.size()));
    for (auto path = paths.crbegin(); path != paths.crend(); ++path) {
        const QString name = path->mid(path->lastIndexOf('/') + 1);
        records.push_back(std::make_unique<CSoundFileItem>(name, FolderOf(*path)));
    }
    return records;
}

// Texts, check state and records change places, so a row's record stays
// with its file (a running batch follows it); the status cells stay.
void ExchangeRows(CSoundListCtrl* list, int a, int b) {
    const QString name = list->GetItemText(a, Column::COLUMN_NAME);
    const QString folder = list->GetItemText(a, Column::COLUMN_FOLDER);
    const bool checked = list->GetCheck(a);
    list->SetItemText(a, Column::COLUMN_NAME, list->GetItemText(b, Column::COLUMN_NAME));
    list->SetItemText(a, Column::COLUMN_FOLDER, list->GetItemText(b, Column::COLUMN_FOLDER));
    list->SetCheck(a, list->GetCheck(b));
    list->SetItemText(b, Column::COLUMN_NAME, name);
    list->SetItemText(b, Column::COLUMN_FOLDER, folder);
    list->SetCheck(b, checked);
    list->ExchangeItemData(a, b); // after the texts, which a record answers until written
    list->SetSelectedRow(b);
}

// A name that keeps the file in its folder: no separator, not "." or "..".
bool IsNameInFolder(const QString& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains(QChar(0));
}

// The kind of the first existing sound file among `paths`; folders do not count.
SoundFileKind FirstSoundFileKind(const QStringList& paths) {
    for (const QString& path : paths) {
        const SoundFileKind kind = SoundFileKindOf(path);
        if (kind != SoundFileKind::Other && QFileInfo(path).isFile())
            return kind;
    }
    return SoundFileKind::Other;
}

} // namespace

void CMainDialog::InitFileList() {
    m_pList->InsertColumn(CSoundListCtrl::COLUMN_NAME, "File Name", 150);
    m_pList->InsertColumn(CSoundListCtrl::COLUMN_FOLDER, "Folder", 200);
    m_pList->InsertColumn(CSoundListCtrl::COLUMN_STATUS, "Status", 100);
    m_pList->EnableFullRowSelect(true);
    m_pList->SortByColumn(CSoundListCtrl::COLUMN_NAME, true);

    connect(m_pList, &CFullRowListCtrl::Clicked, this, [this] { OnNotify({NM_CLICK}); });
    connect(m_pList, &CFullRowListCtrl::DoubleClicked, this, [this] { OnNotify({NM_DBLCLK}); });
    connect(m_pList, &CFullRowListCtrl::RightClicked, this, [this] { OnNotify({NM_RCLICK}); });
    connect(m_pList, &CFullRowListCtrl::KeyDown, this, [this](int key) {
        OnNotify({LVN_KEYDOWN, key});
    });
    connect(m_pList, &CSoundListCtrl::FilesDropped, this, &CMainDialog::OnDropFiles);
    connect(m_pList, &CFullRowListCtrl::ItemAboutToBeDeleted, this, &CMainDialog::ForgetBatchRow);
    connect(m_pList, &CFullRowListCtrl::ItemAboutToBeDeleted, this, [this](int row) {
        if (row < m_nWalkRow)
            --m_nWalkRow;
    });
    connect(m_pList, &CFullRowListCtrl::AllItemsAboutToBeDeleted, this,
            &CMainDialog::ForgetAllBatchRows);
}

void CMainDialog::OnAddFiles() {
    Button(IDC_ADD_FILES)->ShowNormalBitmap();
    const std::optional<QStringList> paths = PickOpenFiles(this, AddFilesRequest(m_nDirection));
    if (!paths)
        return;
    m_pList->InsertItems(m_pList->GetItemCount(), RecordsInReverse(*paths));
}

void CMainDialog::OpenFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    if (FirstSoundFileKind(paths) == SoundFileKind::Wave)
        OnCommand(IDC_WAVETOMP3);
    OnDropFiles(paths);
}

// Dropped files join the list as a choice in the Open File dialog would:
// only the direction's kind at the drop, in the same order; folders give
// their files. A worker walks them, one drop after the other, so a large
// folder never holds up the window.
void CMainDialog::OnDropFiles(const QStringList& paths) {
    m_pendingWalks.push_back({paths, SourceKind()});
    if (!m_bWalking)
        StartNextWalk();
}

void CMainDialog::StartNextWalk() {
    m_bWalking = !m_pendingWalks.empty();
    if (!m_bWalking)
        return;
    const PendingWalk walk = std::move(m_pendingWalks.front());
    m_pendingWalks.pop_front();
    m_nWalkRow = m_pList->GetItemCount();
    m_folderWalker.Start([this, walk] {
        const std::stop_token stop = m_folderWalker.StopToken();
        const FolderWalkCalls calls{
            [stop] { return stop.stop_requested(); },
            [this](const QStringList& files) {
                return m_folderWalker.CallUi([&] { InsertWalkedFiles(files); });
            },
        };
        WalkSoundFiles(walk.paths, walk.kind, calls);
        m_folderWalker.CallUi([this] { StartNextWalk(); });
    });
}

// Each batch goes in above the walk's earlier ones, so the walk's files end
// in reverse order, as those of one choice do.
void CMainDialog::InsertWalkedFiles(const QStringList& files) {
    m_pList->InsertItems(m_nWalkRow, RecordsInReverse(files));
    NoteInsertedRows(m_nWalkRow, int(files.size()));
}

// Ends the running walk and forgets the drops waiting for it.
void CMainDialog::StopWalks() {
    m_pendingWalks.clear();
    m_folderWalker.Stop();
    m_bWalking = false;
}

void CMainDialog::OnClearMenu() {
    Button(IDC_CLEAR_LIST)->ShowNormalBitmap();
    PopupMenu(this, IDR_CLEAR_MENU, kClearMenu, [this](int id) { OnCommand(id); });
}

void CMainDialog::OnClearAll() {
    StopWalks();
    m_pList->DeleteAllItems();
}

// From the last row down, so the rows still to visit keep their indexes.
void CMainDialog::OnClearChecked() {
    StopWalks();
    for (int row = m_pList->GetItemCount() - 1; row >= 0; --row)
        if (m_pList->GetCheck(row))
            m_pList->DeleteItem(row);
}

void CMainDialog::OnDeleteItem() {
    const int selected = m_pList->GetSelectedRow();
    if (selected < 0)
        return;
    m_pList->DeleteItem(selected);
    m_pList->SetSelectedRow(-1);
}

void CMainDialog::OnMoveTop() {
    Button(IDC_MOVE_TOP)->ShowNormalBitmap();
    const int selected = m_pList->GetSelectedRow();
    for (int row = selected; row > 0; --row)
        ExchangeRows(m_pList, row, row - 1);
}

void CMainDialog::OnMoveUp() {
    Button(IDC_MOVE_UP)->ShowNormalBitmap();
    const int selected = m_pList->GetSelectedRow();
    if (selected > 0)
        ExchangeRows(m_pList, selected, selected - 1);
}

void CMainDialog::OnMoveDown() {
    Button(IDC_MOVE_DOWN)->ShowNormalBitmap();
    const int selected = m_pList->GetSelectedRow();
    if (selected >= 0 && selected < m_pList->GetItemCount() - 1)
        ExchangeRows(m_pList, selected, selected + 1);
}

void CMainDialog::OnMoveBottom() {
    Button(IDC_MOVE_BOTTOM)->ShowNormalBitmap();
    const int selected = m_pList->GetSelectedRow();
    if (selected < 0)
        return;
    for (int row = selected; row < m_pList->GetItemCount() - 1; ++row)
        ExchangeRows(m_pList, row, row + 1);
}

void CMainDialog::OnCheckAll() {
    m_pList->SetCheckAll(true);
}

void CMainDialog::OnUncheckAll() {
    m_pList->SetCheckAll(false);
}

void CMainDialog::OnReverseChecks() {
    for (int row = 0; row < m_pList->GetItemCount(); ++row)
        m_pList->SetCheck(row, !m_pList->GetCheck(row));
}

// Renames the selected row's file inside its folder, never over another file.
void CMainDialog::OnRenameFile() {
    const int selected = m_pList->GetSelectedRow();
    if (selected < 0)
        return;
    const CItemDataBase* record = m_pList->GetItemData(selected);
    CRenameDialog dialog(this);
    dialog.m_strOldName = m_pList->GetItemText(selected, CSoundListCtrl::COLUMN_NAME);
    const QString oldPath = m_pList->GetFullPath(selected);
    if (dialog.DoModal() != IDOK)
        return;
    // A folder walk may have inserted rows above it while the box was open.
    const QString newPath = JoinFolderAndName(FolderOf(oldPath), dialog.m_strNewName);
    if (!IsNameInFolder(dialog.m_strNewName) || !RenameNoReplace(oldPath, newPath)) {
        ShowMessage("Can not rename!", "Error", MB_OK, this);
        return;
    }
    const int row = m_pList->RowOf(record);
    if (row >= 0)
        m_pList->SetItemText(row, CSoundListCtrl::COLUMN_NAME, dialog.m_strNewName);
}

// The list toggles a check box itself when it is clicked; nothing is left to do.
void CMainDialog::OnListClick(const NotifyInfo&) {}

void CMainDialog::OnListKeyDown(const NotifyInfo& notify) {
    const int selected = m_pList->GetSelectedRow();
    if (notify.key != Qt::Key_Delete || selected < 0)
        return;
    m_pList->DeleteItem(selected);
    const int count = m_pList->GetItemCount();
    if (count > 0)
        m_pList->SetSelectedRow(std::min(selected, count - 1));
}

void CMainDialog::OnListRightClick(const NotifyInfo&) {
    if (m_pList->GetSelectedRow() < 0)
        return;
    m_pContextMenu = PopupMenu(this, IDR_ROW_MENU, kRowMenu, [this](int id) { OnCommand(id); });
}
