#include "ListModel.h"

#include <algorithm>
#include <numeric>

CListModel::CListModel(RecordText recordText, QObject* parent)
    : QAbstractTableModel(parent), m_recordText(std::move(recordText)) {}

CListModel::~CListModel() = default;

int CListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant CListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return CellText(index.row(), index.column());
    if (role == Qt::CheckStateRole && index.column() == 0)
        return IsChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

// The view toggles a check box by itself when it is clicked.
bool CListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0)
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant CListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < int(m_headings.size()))
        return m_headings[size_t(section)];
    return {};
}

Qt::ItemFlags CListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

void CListModel::AddColumn(int column, const QString& heading) {
    column = std::clamp(column, 0, int(m_headings.size()));
    beginInsertColumns(QModelIndex(), column, column);
    m_headings.insert(m_headings.begin() + column, heading);
    for (Row& row : m_rows)
        if (size_t(column) < row.cells.size())
            row.cells.insert(row.cells.begin() + column, std::nullopt);
    endInsertColumns();
}

void CListModel::InsertRows(int index, std::vector<std::unique_ptr<CItemDataBase>> records) {
    if (records.empty())
        return;
    beginInsertRows(QModelIndex(), index, index + int(records.size()) - 1);
    std::vector<Row> rows(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        rows[i].record = std::move(records[i]);
    m_rows.insert(m_rows.begin() + index, std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

void CListModel::RemoveRow(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void CListModel::SwapRecords(int row1, int row2) {
    std::swap(m_rows[size_t(row1)].record, m_rows[size_t(row2)].record);
    for (int row : {row1, row2})
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CListModel::RemoveAllRows() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QString CListModel::CellText(int row, int column) const {
    const Row& r = m_rows[size_t(row)];
    if (size_t(column) < r.cells.size() && r.cells[size_t(column)])
        return *r.cells[size_t(column)];
    return m_recordText(r.record.get(), column);
}

void CListModel::SetCellText(int row, int column, const QString& text) {
    Row& r = m_rows[size_t(row)];
    if (r.cells.size() <= size_t(column))
        r.cells.resize(size_t(column) + 1);
    r.cells[size_t(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void CListModel::SetChecked(int row, bool checked) {
    m_rows[size_t(row)].checked = checked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void CListModel::SetAllChecked(bool checked) {
    if (m_rows.empty())
        return;
    for (Row& row : m_rows)
        row.checked = checked;
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void CListModel::SortRows(const RecordLess& less) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return less(m_rows[size_t(a)].record.get(), m_rows[size_t(b)].record.get());
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newPlace(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[size_t(order[i])]));
        newPlace[size_t(order[i])] = int(i);
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newPlace[size_t(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
