// The list of sound files (control 1004).
#pragma once

#include <QWidget>

class CSoundListCtrl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};
