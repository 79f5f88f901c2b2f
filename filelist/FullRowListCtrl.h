// A report-view list whose selection covers the whole row and stays visible
// without the focus, with a check box on every row, and which sorts its rows
// when a column heading is clicked, showing an arrow in the sorted heading.
#pragma once

#include "ListModel.h"

#include <QHeaderView>
#include <QTreeView>

// The list's heading: draws every heading itself, with an arrow in the sorted one.
class CSortArrowHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CSortArrowHeader(QWidget* parent = nullptr);

    // Marks `column` as sorted in the given direction; returns the column marked before.
    int ShowSortMark(int column, bool ascending);
    int SortColumn() const { return m_nSortColumn; }
    bool IsSortAscending() const { return m_bSortAscending; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void DrawArrow(QPainter* painter, const QRect& rect, int offset) const;

    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
};

class CFullRowListCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CFullRowListCtrl(QWidget* parent = nullptr, bool sortable = true);
    ~CFullRowListCtrl() override;

    int InsertColumn(int column, const QString& heading, int width);
    bool EnableFullRowSelect(bool on);
    // Sorts the rows by `column` and marks its heading; false for a list that does not sort.
    bool SortByColumn(int column, bool ascending);

    int GetItemCount() const;
    // Adds a row at `index` (clamped to the row count), unchecked; returns its index.
    int InsertItem(int index, std::unique_ptr<CItemDataBase> record);
    // Adds rows at `index` in the order given, in one step.
    int InsertItems(int index, std::vector<std::unique_ptr<CItemDataBase>> records);
    bool DeleteItem(int row);
    bool DeleteAllItems();
    CItemDataBase* GetItemData(int row) const;
    // The row that shows `record`, -1 when none does.
    int RowOf(const CItemDataBase* record) const;
    // The two rows change records; their texts and check states stay.
    bool ExchangeItemData(int row1, int row2);

    // A cell's text: what was written into it, else what the row's record answers.
    QString GetItemText(int row, int column) const;
    bool SetItemText(int row, int column, const QString& text);
    bool GetCheck(int row) const;
    bool SetCheck(int row, bool checked);
    void SetCheckAll(bool checked);

    // The selected row, -1 when none; SetSelectedRow(-1) clears the selection.
    int GetSelectedRow() const;
    void SetSelectedRow(int row);

    CSortArrowHeader* SortHeader() const { return m_pHeader; }

    // Compares two rows' records for sorting by the marked column; equal by default.
    virtual int CompareRows(const CItemDataBase* record1, const CItemDataBase* record2) const;
    // The text of a cell nothing was written into; empty by default.
    virtual QString RecordText(const CItemDataBase* record, int column) const;

signals:
    // What the list reports to its owner: clicks, right clicks, double clicks
    // and every key pressed while it has the focus.
    void Clicked();
    void DoubleClicked();
    void RightClicked();
    void KeyDown(int key);
    // Sent just before a row, or every row, leaves the list with its record.
    void ItemAboutToBeDeleted(int row);
    void AllItemsAboutToBeDeleted();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool IsRow(int row) const { return row >= 0 && row < GetItemCount(); }
    void OnColumnClick(int column);

    CListModel* m_pModel;
    CSortArrowHeader* m_pHeader;
    bool m_bSortable;
    bool m_bFullRowSelect = false;
};
