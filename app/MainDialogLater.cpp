// Commands of the main window whose features are still to come: playing list
// files and the web site. Each does nothing yet.
#include "MainDialog.h"

void CMainDialog::OnPlayFile() {}
void CMainDialog::OnStopPlaying() {}
void CMainDialog::OnListDoubleClick(const NotifyInfo&) {}
void CMainDialog::OnVisitWebsite() {}
