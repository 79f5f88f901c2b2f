// "Options": edits a copy of the conversion settings. O K checks the folders
// and saves the option file before the dialog ends with IDOK; the caller then
// takes the copy over. Every other way out leaves the settings alone.
#pragma once

#include "ConvertOptions.h"
#include "Dialog.h"

#include <array>

class CFlatButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// The bit rate of an entry of the combo box (320 first, 32 last); 128 for an
// index outside the list.
int BitrateFromIndex(int index);
// The entry of a bit rate; the default entry (128) for a rate not in the list.
int IndexFromBitrate(int bitrate);
// `folder` without one trailing "/", except the root folder "/" itself.
QString RemoveTrailingSlash(const QString& folder);

class COptionsDialog : public CDialog {
    Q_OBJECT
public:
    // `programFolder` holds option.opt.
    explicit COptionsDialog(QWidget* parent, const QString& programFolder);

    ConvertOptions m_options; // filled by the caller before DoModal, read back after

protected:
    bool OnInitDialog() override;

private:
    void CreateControls();
    void UpdateData(bool saveAndValidate);
    void EnableFolderControls();
    void OnSameFolder();
    void OnBrowseWaveFolder();
    void OnBrowseMp3Folder();
    void BrowseInto(QString& folder);
    void OnSave();
    bool FoldersGiven();

    QString m_strProgramFolder;
    QComboBox* m_pBitrate = nullptr;
    CFlatButton* m_pCancelButton = nullptr;
    CFlatButton* m_pOkButton = nullptr;
    CFlatButton* m_pBrowseMp3 = nullptr;
    CFlatButton* m_pBrowseWave = nullptr;
    QLineEdit* m_pWaveFolder = nullptr;
    QLineEdit* m_pMp3Folder = nullptr;
    QCheckBox* m_pAutoCreate = nullptr;
    QCheckBox* m_pSameFolder = nullptr;
    QCheckBox* m_pMinimize = nullptr;
    std::array<QRadioButton*, 3> m_channelModes{};

    // The values the controls show, moved to and from them by UpdateData.
    QString m_strWaveFolder;
    QString m_strMp3Folder;
    int m_bAutoCreate = 1;
    int m_bSameFolder = 1;
    int m_bMinimize = 0;
    int m_nChannelMode = 0;
};
