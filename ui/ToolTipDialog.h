// A dialog whose child controls show tool tips without any code of their
// own: a control's tip is the string whose number is the control's id.
#pragma once

#include "Dialog.h"

class CToolTipDialog : public CDialog {
    Q_OBJECT
public:
    explicit CToolTipDialog(QWidget* parent = nullptr);

    // Tips are on for the whole run; nothing in the program turns them off.
    static bool s_bToolTipsOn;

protected:
    // Gives every direct child whose id has a string that string as its tip.
    bool OnInitDialog() override;
};

// The numeric id of a control (its objectName), or -1 when it has none.
int ControlId(const QObject* control);
