#include "ToolTipDialog.h"

#include "Strings.h"

#include <QWidget>

bool CToolTipDialog::s_bToolTipsOn = true;

CToolTipDialog::CToolTipDialog(QWidget* parent) : CDialog(parent) {}

int ControlId(const QObject* control) {
    bool ok = false;
    const int id = control->objectName().toInt(&ok);
    return ok ? id : -1;
}

bool CToolTipDialog::OnInitDialog() {
    const bool result = CDialog::OnInitDialog();
    if (!s_bToolTipsOn)
        return result;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const int id = ControlId(child);
        const QString tip = id > 0 ? LoadString(id) : QString();
        if (!tip.isEmpty())
            child->setToolTip(tip);
    }
    return result;
}
