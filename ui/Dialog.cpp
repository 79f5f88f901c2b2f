#include "Dialog.h"

#include "MessageBox.h"

#include <QKeyEvent>

CDialog::CDialog(QWidget* parent) : QDialog(parent) {}

bool CDialog::Create() {
    if (!m_bInitialized) {
        m_bInitialized = true;
        m_bInitResult = OnInitDialog();
    }
    return m_bInitResult;
}

int CDialog::DoModal() {
    m_bEnded = false;
    Create();
    if (!m_bEnded)
        exec();
    m_bEnded = false;
    return result() == Accepted ? IDOK : IDCANCEL;
}

void CDialog::done(int result) {
    m_bEnded = true;
    QDialog::done(result);
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnOK();
        break;
    case Qt::Key_Escape:
        OnCancel();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}
