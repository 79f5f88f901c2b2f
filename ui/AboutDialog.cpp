#include "AboutDialog.h"

#include "Bitmaps.h"
#include "DialogUnits.h"
#include "Strings.h"
#include "resource.h"

#include <QLabel>
#include <QPushButton>

namespace {

QLabel* AddText(QWidget* parent, const QString& text, QRect geometry, int id = -1) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    if (id > 0)
        label->setObjectName(QString::number(id));
    return label;
}

} // namespace

CAboutDialog::CAboutDialog(QWidget* parent) : CDialog(parent) {
    setWindowTitle("About Brindle");
    setObjectName(QString::number(IDD_ABOUTBOX));
    setWindowIcon(LoadMainIcon());
    setFixedSize(DialogRect(0, 0, 171, 127).size());

    QLabel* title = AddText(this, kProductTitle, DialogRect(48, 8, 96, 10));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    AddText(this, "Thank you for using it.", DialogRect(35, 57, 105, 11));
    AddText(this, "Website :", DialogRect(12, 79, 37, 8));
    AddText(this, kWebAddress, DialogRect(53, 79, 97, 8), IDC_ABOUT_WEB);
    AddText(this, "Mail :", DialogRect(12, 91, 25, 8));
    AddText(this, kMailAddress, DialogRect(54, 91, 87, 10), IDC_ABOUT_MAIL);

    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName(QString::number(IDC_OK_BUTTON));
    ok->setGeometry(DialogRect(122, 104, 38, 13));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
}
