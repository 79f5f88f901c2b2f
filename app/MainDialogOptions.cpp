// The Options command: the dialog edits a copy of the window's settings, and
// the window takes the copy over only when the dialog ends with IDOK, so the
// next batch uses the new settings at once.
#include "MainDialog.h"

#include "MessageBox.h"
#include "OptionsDialog.h"
#include "resource.h"

void CMainDialog::OnOptions() {
    Button(IDC_OPTIONS)->ShowNormalBitmap();
    COptionsDialog dialog(this, m_strProgramFolder);
    dialog.m_options = CurrentOptions();
    if (dialog.DoModal() == IDOK)
        TakeOptions(dialog.m_options);
}

ConvertOptions CMainDialog::CurrentOptions() const {
    ConvertOptions options;
    options.m_strWaveFolder = m_strWaveFolder;
    options.m_strMp3Folder = m_strMp3Folder;
    options.m_bSameFolder = m_bSameFolder;
    options.m_bAutoCreate = m_bAutoCreate;
    options.m_nBitrate = m_nBitrate;
    options.m_bMinimize = m_bMinimize;
    options.m_nChannelMode = m_nChannelMode;
    return options;
}

void CMainDialog::TakeOptions(const ConvertOptions& options) {
    m_strWaveFolder = options.m_strWaveFolder;
    m_strMp3Folder = options.m_strMp3Folder;
    m_bSameFolder = options.m_bSameFolder;
    m_bAutoCreate = options.m_bAutoCreate;
    m_nBitrate = options.m_nBitrate;
    m_bMinimize = options.m_bMinimize;
    m_nChannelMode = options.m_nChannelMode;
}
