// Commands of the main window whose features are still to come: the Options
// dialog and the web site. Each does nothing yet.
#include "MainDialog.h"

void CMainDialog::OnOptions() {}
void CMainDialog::OnVisitWebsite() {}
