#include "RenameDialog.h"

#include "DialogUnits.h"
#include "FlatButton.h"
#include "MessageBox.h"
#include "resource.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

CRenameDialog::CRenameDialog(QWidget* parent)
    : CDialog(parent), m_pCancelButton(new CFlatButton(this)), m_pOkButton(new CFlatButton(this)),
      m_pEdit(new QLineEdit(this)) {
    setObjectName(QString::number(IDD_RENAME));
    setWindowTitle("Rename the file");
    resize(DialogUnitsToPixelsX(205), DialogUnitsToPixelsY(52));

    m_pEdit->setObjectName(QString::number(IDC_RENAME_EDIT));
    m_pOkButton->setObjectName(QString::number(IDC_OK_BUTTON));
    m_pCancelButton->setObjectName(QString::number(IDC_CANCEL_BUTTON));
    // The template's texts: the buttons draw their captions, and these give
    // them their keys, Alt+O and Alt+C. The texts would widen the buttons, so
    // they keep their template size.
    m_pOkButton->setText("&O K");
    m_pCancelButton->setText("&Cancel");
    for (CFlatButton* button : {m_pOkButton, m_pCancelButton})
        button->setFixedSize(DialogUnitsToPixelsX(50), DialogUnitsToPixelsY(14));
    connect(m_pOkButton, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancelButton, &QPushButton::clicked, this, [this] { OnCancel(); });

    auto* layout = new QGridLayout(this);
    auto* label = new QLabel("File Name", this);
    label->setBuddy(m_pEdit); // names the edit to screen readers
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_pEdit, 0, 1, 1, 3);
    layout->addWidget(m_pOkButton, 1, 2);
    layout->addWidget(m_pCancelButton, 1, 3);
    layout->setColumnStretch(1, 1);
    setTabOrder(m_pEdit, m_pOkButton);
    setTabOrder(m_pOkButton, m_pCancelButton);
}

bool CRenameDialog::OnInitDialog() {
    m_pOkButton->SetCaption("O K");
    m_pCancelButton->SetCaption("Cancel");
    m_strEdit = m_strOldName;
    UpdateData(false);
    m_pEdit->setFocus();
    return true;
}

void CRenameDialog::OnOK() {
    UpdateData(true);
    if (m_strEdit.isEmpty()) {
        ShowMessage("Please input the file name!", "Error", MB_OK, this);
        return;
    }
    m_strNewName = m_strEdit;
    CDialog::OnOK();
}

void CRenameDialog::UpdateData(bool saveAndValidate) {
    if (saveAndValidate)
        m_strEdit = m_pEdit->text();
    else
        m_pEdit->setText(m_strEdit);
}
