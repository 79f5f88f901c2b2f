// The command of the main window whose feature is still to come: the web
// site. It does nothing yet.
#include "MainDialog.h"

void CMainDialog::OnVisitWebsite() {}
