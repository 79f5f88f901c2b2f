#include "FullRowListCtrl.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>

namespace {

// Twice the width of a space: the margin of texts in cells and headings.
int TextMargin(const QFontMetrics& metrics) {
    return 2 * metrics.horizontalAdvance(' ');
}

} // namespace

CSortArrowHeader::CSortArrowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int CSortArrowHeader::ShowSortMark(int column, bool ascending) {
    const int previous = m_nSortColumn;
    m_bSortAscending = ascending;
    m_nSortColumn = column;
    viewport()->update();
    return previous;
}

void CSortArrowHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    const int o = TextMargin(fontMetrics());
    const bool sorted = logicalIndex == m_nSortColumn;
    QRect textRect = rect;
    if (sorted)
        textRect.setRight(textRect.right() - 3 * o);
    textRect.adjust(o, 0, -o, 0);
    const QString heading = model()->headerData(logicalIndex, orientation()).toString();
    painter->save();
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      fontMetrics().elidedText(heading, Qt::ElideRight, textRect.width()));
    if (sorted)
        DrawArrow(painter, rect, o);
    painter->restore();
}

// A small raised triangle at the right of the heading: light on the lit
// sides, dark on the shaded one; up for ascending, down for descending.
void CSortArrowHeader::DrawArrow(QPainter* painter, const QRect& rect, int o) const {
    const int right = rect.x() + rect.width();
    const int bottom = rect.y() + rect.height();
    const int top = rect.y();
    const QPen light(palette().color(QPalette::Light), 1);
    const QPen dark(palette().color(QPalette::Dark), 1);
    if (m_bSortAscending) {
        const QPoint lit[] = {{right - 2 * o, top + o - 1},
                              {right - 3 * o / 2, bottom - o},
                              {right - 5 * o / 2 - 2, bottom - o}};
        painter->setPen(light);
        painter->drawPolyline(lit, 3);
        painter->setPen(dark);
        painter->drawLine(right - 5 * o / 2 - 1, bottom - o - 1, right - 2 * o, top + o - 2);
    } else {
        painter->setPen(light);
        painter->drawLine(right - 3 * o / 2, top + o - 1, right - 2 * o - 1, bottom - o + 1);
        const QPoint shaded[] = {{right - 2 * o - 1, bottom - o},
                                 {right - 5 * o / 2 - 1, top + o - 1},
                                 {right - 3 * o / 2, top + o - 1}};
        painter->setPen(dark);
        painter->drawPolyline(shaded, 3);
    }
}

CFullRowListCtrl::CFullRowListCtrl(QWidget* parent, bool sortable)
    : QTreeView(parent),
      m_pModel(new CListModel(
          [this](const CItemDataBase* record, int column) { return RecordText(record, column); },
          this)),
      m_pHeader(new CSortArrowHeader(this)), m_bSortable(sortable) {
    setHeader(m_pHeader);
    setModel(m_pModel);
    m_pHeader->setSectionsClickable(m_bSortable);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);

    // The selection stays as visible when another control has the focus.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);

    if (m_bSortable)
        connect(m_pHeader, &QHeaderView::sectionClicked, this, &CFullRowListCtrl::OnColumnClick);
}

CFullRowListCtrl::~CFullRowListCtrl() = default;

int CFullRowListCtrl::InsertColumn(int column, const QString& heading, int width) {
    column = std::clamp(column, 0, m_pModel->columnCount());
    m_pModel->AddColumn(column, heading);
    m_pHeader->resizeSection(column, width);
    return column;
}

bool CFullRowListCtrl::EnableFullRowSelect(bool on) {
    const bool changed = m_bFullRowSelect != on;
    m_bFullRowSelect = on;
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    return changed;
}

bool CFullRowListCtrl::SortByColumn(int column, bool ascending) {
    if (!m_bSortable)
        return false;
    m_pHeader->ShowSortMark(column, ascending);
    m_pModel->SortRows([this](const CItemDataBase* record1, const CItemDataBase* record2) {
        return CompareRows(record1, record2) < 0;
    });
    return true;
}

// A click on a new heading sorts it ascending; each further click reverses.
void CFullRowListCtrl::OnColumnClick(int column) {
    const bool ascending = column != m_pHeader->SortColumn() || !m_pHeader->IsSortAscending();
    SortByColumn(column, ascending);
}

int CFullRowListCtrl::GetItemCount() const {
    return m_pModel->rowCount();
}

int CFullRowListCtrl::InsertItem(int index, std::unique_ptr<CItemDataBase> record) {
    std::vector<std::unique_ptr<CItemDataBase>> records;
    records.push_back(std::move(record));
    return InsertItems(index, std::move(records));
}

int CFullRowListCtrl::InsertItems(int index, std::vector<std::unique_ptr<CItemDataBase>> records) {
    index = std::clamp(index, 0, GetItemCount());
    m_pModel->InsertRows(index, std::move(records));
    return index;
}

bool CFullRowListCtrl::DeleteItem(int row) {
    if (!IsRow(row))
        return false;
    emit ItemAboutToBeDeleted(row);
    m_pModel->RemoveRow(row);
    return true;
}

bool CFullRowListCtrl::DeleteAllItems() {
    emit AllItemsAboutToBeDeleted();
    m_pModel->RemoveAllRows();
    return true;
}

bool CFullRowListCtrl::ExchangeItemData(int row1, int row2) {
    if (!IsRow(row1) || !IsRow(row2))
        return false;
    m_pModel->SwapRecords(row1, row2);
    return true;
}

CItemDataBase* CFullRowListCtrl::GetItemData(int row) const {
    return IsRow(row) ? m_pModel->Record(row) : nullptr;
}

int CFullRowListCtrl::RowOf(const CItemDataBase* record) const {
    for (int row = 0; row < GetItemCount(); ++row)
        if (GetItemData(row) == record)
            return row;
    return -1;
}

QString CFullRowListCtrl::GetItemText(int row, int column) const {
    if (!IsRow(row) || column < 0 || column >= m_pModel->columnCount())
        return QString();
    return m_pModel->CellText(row, column);
}

bool CFullRowListCtrl::SetItemText(int row, int column, const QString& text) {
    if (!IsRow(row) || column < 0 || column >= m_pModel->columnCount())
        return false;
    m_pModel->SetCellText(row, column, text);
    return true;
}

bool CFullRowListCtrl::GetCheck(int row) const {
    return IsRow(row) && m_pModel->IsChecked(row);
}

bool CFullRowListCtrl::SetCheck(int row, bool checked) {
    if (!IsRow(row))
        return false;
    m_pModel->SetChecked(row, checked);
    return true;
}

void CFullRowListCtrl::SetCheckAll(bool checked) {
    m_pModel->SetAllChecked(checked);
}

int CFullRowListCtrl::GetSelectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CFullRowListCtrl::SetSelectedRow(int row) {
    if (!IsRow(row)) {
        selectionModel()->clearSelection();
        return;
    }
    const QItemSelectionModel::SelectionFlags rows =
        m_bFullRowSelect ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate;
    selectionModel()->setCurrentIndex(m_pModel->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | rows);
}

int CFullRowListCtrl::CompareRows(const CItemDataBase*, const CItemDataBase*) const {
    return 0;
}

QString CFullRowListCtrl::RecordText(const CItemDataBase*, int) const {
    return QString();
}

// A click selects its row, on the check box too, before the owner hears of it.
// The current cell stays in the first column, where the check box is, so that
// Space toggles the row's mark wherever the row was clicked.
void CFullRowListCtrl::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    const QModelIndex clicked = indexAt(event->position().toPoint());
    if (clicked.isValid() && currentIndex() != m_pModel->index(clicked.row(), 0))
        SetSelectedRow(clicked.row());
    if (event->button() == Qt::LeftButton)
        emit Clicked();
    else if (event->button() == Qt::RightButton)
        emit RightClicked();
}

void CFullRowListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DoubleClicked();
}

// The owner hears of a key before the list moves its selection for it.
void CFullRowListCtrl::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key());
    QTreeView::keyPressEvent(event);
}
