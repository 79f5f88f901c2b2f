#include "SoundListCtrl.h"

#include "Paths.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

CSoundFileItem::CSoundFileItem(const QString& name, const QString& folder)
    : m_strName(name), m_strFolder(folder) {}

CSoundListCtrl::CSoundListCtrl(QWidget* parent) : CFullRowListCtrl(parent, true) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
}

int CSoundListCtrl::InsertFile(int index, const QString& name, const QString& folder) {
    return InsertItem(index, std::make_unique<CSoundFileItem>(name, folder));
}

QString CSoundListCtrl::GetFullPath(int row) const {
    return JoinFolderAndName(GetItemText(row, COLUMN_FOLDER), GetItemText(row, COLUMN_NAME));
}

namespace {

QString RecordField(const CItemDataBase* record, int column) {
    const auto* file = dynamic_cast<const CSoundFileItem*>(record);
    if (!file)
        return QString();
    switch (column) {
    case CSoundListCtrl::COLUMN_NAME:
        return file->m_strName;
    case CSoundListCtrl::COLUMN_FOLDER:
        return file->m_strFolder;
    case CSoundListCtrl::COLUMN_STATUS:
        return file->m_strStatus;
    }
    return QString();
}

// The local files a drag carries; nothing for any other kind of drag.
QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

// Brindle only reads what is dropped, so whatever the source proposes, a drop
// it takes is a copy: a source told "moved" might delete the originals. A drag
// without local files, or one that offers no copy, is refused. True when taken.
bool AcceptAsCopy(QDropEvent* event, const QStringList& paths) {
    if (paths.isEmpty() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

} // namespace

void CSoundListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    AcceptAsCopy(event, LocalFiles(event->mimeData()));
}

void CSoundListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    AcceptAsCopy(event, LocalFiles(event->mimeData()));
}

void CSoundListCtrl::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (AcceptAsCopy(event, paths))
        emit FilesDropped(paths);
}

// Sorting compares the records of the marked column, ignoring letter case.
int CSoundListCtrl::CompareRows(const CItemDataBase* record1, const CItemDataBase* record2) const {
    const int column = SortHeader()->SortColumn();
    const int result = QString::compare(RecordField(record1, column), RecordField(record2, column),
                                        Qt::CaseInsensitive);
    return SortHeader()->IsSortAscending() ? result : -result;
}

// Name and folder cells show the record until a move or rename writes them;
// the status cell is only ever what was written into it.
QString CSoundListCtrl::RecordText(const CItemDataBase* record, int column) const {
    if (column == COLUMN_STATUS)
        return QString();
    return RecordField(record, column);
}
