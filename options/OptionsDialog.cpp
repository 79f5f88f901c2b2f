#include "OptionsDialog.h"

#include "DialogUnits.h"
#include "FlatButton.h"
#include "FolderBrowser.h"
#include "MessageBox.h"
#include "OptionFile.h"
#include "resource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

constexpr std::array<int, 14> kBitrates = {320, 256, 224, 192, 160, 128, 112,
                                           96,  80,  64,  56,  48,  40,  32};
constexpr int kDefaultBitrateIndex = 5;

// A check box shows 0, 1 or 2 (unchecked, checked, indeterminate); any other
// value shows as unchecked.
void SetCheck(QCheckBox* box, int value) {
    if (value < 0 || value > 2)
        value = 0;
    box->setCheckState(value == 2   ? Qt::PartiallyChecked
                       : value == 1 ? Qt::Checked
                                    : Qt::Unchecked);
    box->setTristate(false); // a click only ever checks or unchecks
}

int GetCheck(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

} // namespace

int BitrateFromIndex(int index) {
    return index >= 0 && index < int(kBitrates.size()) ? kBitrates[index]
                                                       : kBitrates[kDefaultBitrateIndex];
}

int IndexFromBitrate(int bitrate) {
    const auto found = std::find(kBitrates.begin(), kBitrates.end(), bitrate);
    return found == kBitrates.end() ? kDefaultBitrateIndex : int(found - kBitrates.begin());
}

QString RemoveTrailingSlash(const QString& folder) {
    if (folder == "/" || !folder.endsWith('/'))
        return folder;
    return folder.chopped(1);
}

COptionsDialog::COptionsDialog(QWidget* parent, const QString& programFolder)
    : CDialog(parent), m_strProgramFolder(programFolder) {
    setObjectName(QString::number(IDD_OPTIONS));
    setWindowTitle("Options");
    setFixedSize(DialogUnitsToPixelsX(239), DialogUnitsToPixelsY(185));
    setFont(DialogFont(font()));
    CreateControls();
}

// The controls in the order of the template, which is also the tab order.
void COptionsDialog::CreateControls() {
    auto place = [this](QWidget* control, int id, QRect rect) {
        if (id)
            control->setObjectName(QString::number(id));
        control->setGeometry(rect);
        return control;
    };
    auto flatButton = [&](int id, const char* text, QRect rect) {
        auto* button = new CFlatButton(this);
        button->setText(text); // the template text gives the key; the caption is drawn
        place(button, id, rect);
        return button;
    };
    auto checkBox = [&](int id, const char* text, QRect rect) {
        return static_cast<QCheckBox*>(place(new QCheckBox(text, this), id, rect));
    };
    auto edit = [&](int id, QRect rect) {
        return static_cast<QLineEdit*>(place(new QLineEdit(this), id, rect));
    };
    auto groupBox = [&](const char* text, QRect rect) {
        // Behind the controls it frames, so it never takes their clicks.
        place(new QGroupBox(text, this), 0, rect)->lower();
    };
    auto label = [&](const char* text, QRect rect) {
        return static_cast<QLabel*>(place(new QLabel(text, this), 0, rect));
    };

    m_pOkButton = flatButton(IDC_OK_BUTTON, "&OK", DialogRect(128, 165, 36, 12));
    m_pCancelButton = flatButton(IDC_CANCEL_BUTTON, "&Cancel", DialogRect(189, 165, 36, 12));
    QLabel* mp3ToWave = label("Mp3 To Wave", DialogRect(14, 33, 49, 9));
    m_pSameFolder =
        checkBox(IDC_SAME_FOLDER, "The same as original file.", DialogRect(14, 17, 118, 10));
    groupBox("Destination Folder", DialogRect(7, 7, 225, 74));
    QLabel* waveToMp3 = label("Wave To Mp3", DialogRect(14, 48, 48, 10));
    m_pWaveFolder = edit(IDC_WAVE_FOLDER, DialogRect(66, 31, 109, 12));
    m_pMp3Folder = edit(IDC_MP3_FOLDER, DialogRect(66, 45, 109, 12));
    QLabel* encodeMode = label("Encode Mode", DialogRect(14, 96, 76, 10));
    groupBox("Wave To Mp3", DialogRect(7, 84, 225, 57));
    m_pAutoCreate =
        checkBox(IDC_AUTO_CREATE, "Auto create folder if not exist", DialogRect(16, 63, 138, 8));
    m_pBrowseWave = flatButton(IDC_BROWSE_WAVE_FOLDER, "&Browse", DialogRect(182, 30, 32, 13));
    m_pBrowseMp3 = flatButton(IDC_BROWSE_MP3_FOLDER, "&Browse", DialogRect(182, 45, 32, 13));
    m_pMinimize = checkBox(IDC_MINIMIZE_CONVERTING, "Minimize the windows during converting",
                           DialogRect(7, 147, 165, 10));
    m_pBitrate = new QComboBox(this);
    // The template's height includes the drop-down list; the box itself is one line.
    place(m_pBitrate, IDC_BITRATE, DialogRect(14, 109, 128, 12));
    const std::array<std::pair<int, const char*>, 3> modes = {
        {{IDC_DUAL_STEREO, "Dual Stereo"}, {IDC_STEREO, "Stereo"}, {IDC_MONO, "Mono"}}};
    const std::array<QRect, 3> modePlaces = {
        DialogRect(14, 126, 57, 12), DialogRect(88, 126, 40, 12), DialogRect(150, 126, 32, 12)};
    for (size_t i = 0; i < modes.size(); ++i)
        m_channelModes[i] = static_cast<QRadioButton*>(
            place(new QRadioButton(modes[i].second, this), modes[i].first, modePlaces[i]));

    // Each label names its control to screen readers.
    mp3ToWave->setBuddy(m_pWaveFolder);
    waveToMp3->setBuddy(m_pMp3Folder);
    encodeMode->setBuddy(m_pBitrate);

    connect(m_pOkButton, &QPushButton::clicked, this, &COptionsDialog::OnSave);
    connect(m_pSameFolder, &QCheckBox::clicked, this, &COptionsDialog::OnSameFolder);
    connect(m_pCancelButton, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_pBrowseWave, &QPushButton::clicked, this, &COptionsDialog::OnBrowseWaveFolder);
    connect(m_pBrowseMp3, &QPushButton::clicked, this, &COptionsDialog::OnBrowseMp3Folder);
}

bool COptionsDialog::OnInitDialog() {
    m_pBrowseWave->SetCaption("Browse");
    m_pBrowseMp3->SetCaption("Browse");
    m_pOkButton->SetCaption("O K");
    m_pCancelButton->SetCaption("Cancel");
    for (int index = 0; index < int(kBitrates.size()); ++index)
        m_pBitrate->addItem(QString("%1 kBit/s,44100Hz").arg(kBitrates[index]));
    m_pBitrate->setCurrentIndex(kDefaultBitrateIndex);

    m_bSameFolder = m_options.m_bSameFolder;
    m_bAutoCreate = m_options.m_bAutoCreate;
    m_strWaveFolder = m_options.m_strWaveFolder;
    m_strMp3Folder = m_options.m_strMp3Folder;
    m_bMinimize = m_options.m_bMinimize;
    m_nChannelMode = m_options.m_nChannelMode;
    m_pBitrate->setCurrentIndex(IndexFromBitrate(m_options.m_nBitrate));
    UpdateData(false);
    EnableFolderControls();
    m_pOkButton->setFocus();
    return true;
}

void COptionsDialog::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_strWaveFolder = m_pWaveFolder->text();
        m_strMp3Folder = m_pMp3Folder->text();
        m_bAutoCreate = GetCheck(m_pAutoCreate);
        m_bSameFolder = GetCheck(m_pSameFolder);
        m_bMinimize = GetCheck(m_pMinimize);
        const auto checked = std::find_if(m_channelModes.begin(), m_channelModes.end(),
                                          [](const QRadioButton* b) { return b->isChecked(); });
        m_nChannelMode =
            checked == m_channelModes.end() ? -1 : int(checked - m_channelModes.begin());
        return;
    }
    m_pWaveFolder->setText(m_strWaveFolder);
    m_pMp3Folder->setText(m_strMp3Folder);
    SetCheck(m_pAutoCreate, m_bAutoCreate);
    SetCheck(m_pSameFolder, m_bSameFolder);
    SetCheck(m_pMinimize, m_bMinimize);
    // Exclusive radio buttons refuse to be all unchecked, so the group is let go meanwhile.
    for (int index = 0; index < int(m_channelModes.size()); ++index) {
        m_channelModes[index]->setAutoExclusive(false);
        m_channelModes[index]->setChecked(index == m_nChannelMode);
        m_channelModes[index]->setAutoExclusive(true);
    }
}

// The folders and the auto-create box matter only when output does not go
// beside the source; the Browse buttons stay usable either way.
void COptionsDialog::EnableFolderControls() {
    const bool ownFolders = m_pSameFolder->checkState() == Qt::Unchecked;
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_pWaveFolder, m_pMp3Folder, m_pAutoCreate})
        control->setEnabled(ownFolders);
}

void COptionsDialog::OnSameFolder() {
    UpdateData(true);
    EnableFolderControls();
}

void COptionsDialog::OnBrowseWaveFolder() {
    UpdateData(true);
    BrowseInto(m_strWaveFolder);
}

void COptionsDialog::OnBrowseMp3Folder() {
    UpdateData(true);
    BrowseInto(m_strMp3Folder);
}

void COptionsDialog::BrowseInto(QString& folder) {
    CInitFolderBrowser browser(this, IDS_DIRECTORY_NAME);
    browser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    browser.SetInitialFolder(folder);
    if (!browser.Browse())
        return;
    folder = browser.GetFolderPath();
    UpdateData(false);
}

bool COptionsDialog::FoldersGiven() {
    if (m_bSameFolder)
        return true;
    if (m_strWaveFolder.isEmpty()) {
        ShowMessage("Please input destination directory name(Mp3 To Wave)!", "Error", MB_OK, this);
        return false;
    }
    if (m_strMp3Folder.isEmpty()) {
        ShowMessage("Please input destination directory name(Wave To Mp3)!", "Error", MB_OK, this);
        return false;
    }
    return true;
}

// The new file is written in full before it replaces the old one, so a save
// that fails leaves the saved settings as they were.
void COptionsDialog::OnSave() {
    UpdateData(true);
    if (!FoldersGiven())
        return;
    ConvertOptions options = m_options;
    options.m_bSameFolder = m_bSameFolder;
    options.m_bAutoCreate = m_bAutoCreate;
    options.m_bMinimize = m_bMinimize;
    options.m_nChannelMode = m_nChannelMode;
    options.m_strWaveFolder = RemoveTrailingSlash(m_strWaveFolder);
    options.m_strMp3Folder = RemoveTrailingSlash(m_strMp3Folder);
    options.m_nBitrate = BitrateFromIndex(m_pBitrate->currentIndex());
    switch (SaveOptions(m_strProgramFolder, options)) {
    case SaveOptionsResult::NotCreated:
        ShowMessage("Save to option file error!", "Error", MB_OK, this);
        return;
    case SaveOptionsResult::NotWritten:
        m_options = options;
        ShowMessage("Save option file error!", "Error", MB_OK, this);
        return;
    case SaveOptionsResult::Saved:
        m_options = options;
        CDialog::OnOK();
    }
}
