// The rows of a report-view list: each a record, the texts written into its
// cells and a check state. Cells nothing was written into answer from the record.
#pragma once

#include <QAbstractTableModel>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The record a row carries. The list owns it and deletes it with its row.
class CItemDataBase {
public:
    virtual ~CItemDataBase() = default;
};

class CListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Answers the text of a cell nothing was written into.
    using RecordText = std::function<QString(const CItemDataBase* record, int column)>;
    // True when the first record sorts before the second.
    using RecordLess =
        std::function<bool(const CItemDataBase* record1, const CItemDataBase* record2)>;

    explicit CListModel(RecordText recordText, QObject* parent = nullptr);
    ~CListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void AddColumn(int column, const QString& heading);
    void InsertRows(int index, std::vector<std::unique_ptr<CItemDataBase>> records);
    void RemoveRow(int row);
    void RemoveAllRows();

    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString& text);
    bool IsChecked(int row) const { return m_rows[size_t(row)].checked; }
    void SetChecked(int row, bool checked);
    void SetAllChecked(bool checked);
    CItemDataBase* Record(int row) const { return m_rows[size_t(row)].record.get(); }
    void SwapRecords(int row1, int row2);

    // Orders the rows by their records, keeping equal rows in their order and
    // the selection on its row.
    void SortRows(const RecordLess& less);

private:
    struct Row {
        std::unique_ptr<CItemDataBase> record;
        std::vector<std::optional<QString>> cells; // written texts, by column
        bool checked = false;
    };

    RecordText m_recordText;
    std::vector<QString> m_headings;
    std::vector<Row> m_rows;
};
