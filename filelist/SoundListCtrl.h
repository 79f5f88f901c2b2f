// The list of sound files (control 1004): one row per file, with the cells
// File Name, Folder and Status, a check box saying whether the next batch
// converts it, and a CSoundFileItem record.
#pragma once

#include "FullRowListCtrl.h"

#include <QString>

// The texts a row's Status cell holds besides the empty one.
inline constexpr const char* kStatusSuccess = "Success"; // the file was converted
// Not of the direction's kind, or its wave-to-MP3 step could not run.
inline constexpr const char* kStatusFailed = "Failed";
inline constexpr const char* kStatusMp3Failed = "failed"; // its MP3-to-wave step failed
// The row whose wave file was started last; nothing clears it when the sound
// ends by itself.
inline constexpr const char* kStatusPlaying = "playing ...";

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
