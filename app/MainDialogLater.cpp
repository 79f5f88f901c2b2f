// Commands of the main window whose features are still to come: playing list
// files, the Options dialog, the web site, and conversion. Each does nothing yet.
#include "MainDialog.h"

void CMainDialog::OnPlayFile() {}
void CMainDialog::OnStopPlaying() {}
void CMainDialog::OnListDoubleClick(const NotifyInfo&) {}
void CMainDialog::OnOptions() {}
void CMainDialog::OnVisitWebsite() {}
void CMainDialog::OnStart() {}
void CMainDialog::OnMp3ToWaveStep() {}
void CMainDialog::OnWaveToMp3Step() {}
