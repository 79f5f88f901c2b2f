// The list of sound files (control 1004): one row per file, with the cells
// File Name, Folder and Status, a check box saying whether the next batch
// converts it, and a CSoundFileItem record.
#pragma once

#include "FullRowListCtrl.h"

#include <QString>

// The file a row was created for. Moves and renames change the row's cells,
// never its record; sorting reads the record.
class CSoundFileItem : public CItemDataBase {
public:
    CSoundFileItem(const QString& name, const QString& folder);

    QString m_strName;
    QString m_strFolder;
    QString m_strStatus;
};

class CSoundListCtrl : public CFullRowListCtrl {
    Q_OBJECT
public:
    enum Column { COLUMN_NAME = 0, COLUMN_FOLDER = 1, COLUMN_STATUS = 2 };

    explicit CSoundListCtrl(QWidget* parent = nullptr);

    // Adds a row for the file `folder`/`name` at `index`: unchecked, empty status.
    int InsertFile(int index, const QString& name, const QString& folder);
    // The full path of a row's file, built from its Folder and File Name cells.
    QString GetFullPath(int row) const;

    int CompareRows(const CItemDataBase* record1, const CItemDataBase* record2) const override;
    QString RecordText(const CItemDataBase* record, int column) const override;

signals:
    // Files and folders dropped on the list from a file manager, in the drop's order.
    void FilesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// Folder + "/" + name; a folder that already ends in "/" (the root) gives one separator.
QString JoinFolderAndName(const QString& folder, const QString& name);
// The folder holding `path`, without a trailing separator except for the root "/".
QString FolderOf(const QString& path);
