// The file list's commands of the main window.
#include "MainDialog.h"

void CMainDialog::InitFileList() {}
void CMainDialog::OnAddFiles() {}
void CMainDialog::OnClearMenu() {}
void CMainDialog::OnClearAll() {}
void CMainDialog::OnClearChecked() {}
void CMainDialog::OnDeleteItem() {}
void CMainDialog::OnMoveTop() {}
void CMainDialog::OnMoveUp() {}
void CMainDialog::OnMoveDown() {}
void CMainDialog::OnMoveBottom() {}
void CMainDialog::OnCheckAll() {}
void CMainDialog::OnUncheckAll() {}
void CMainDialog::OnReverseChecks() {}
void CMainDialog::OnRenameFile() {}
void CMainDialog::OnListClick(const NotifyInfo&) {}
void CMainDialog::OnListKeyDown(const NotifyInfo&) {}
void CMainDialog::OnListRightClick(const NotifyInfo&) {}
