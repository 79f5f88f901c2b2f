// The About box: the program's name and version and the maker's addresses.
#pragma once

#include "Dialog.h"

class CAboutDialog : public CDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};
