// "Rename the file": asks for a row's new file name, showing the current one.
#pragma once

#include "Dialog.h"

class CFlatButton;
class QLineEdit;

class CRenameDialog : public CDialog {
    Q_OBJECT
public:
    explicit CRenameDialog(QWidget* parent = nullptr);

    QString m_strNewName; // the accepted name; empty until O K accepts one
    QString m_strOldName; // the current name, set by the caller before DoModal

protected:
    bool OnInitDialog() override;
    // O K and Enter: refuse an empty name, else accept the typed one.
    void OnOK() override;

private:
    void UpdateData(bool saveAndValidate);

    CFlatButton* m_pCancelButton;
    CFlatButton* m_pOkButton;
    QLineEdit* m_pEdit;
    QString m_strEdit;
};
