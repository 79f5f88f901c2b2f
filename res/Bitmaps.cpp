#include "Bitmaps.h"

#include "resource.h"

QPixmap LoadBitmap(int id) {
    return QPixmap(QStringLiteral(":/skin/%1.png").arg(id));
}

QIcon LoadMainIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/skin/%1_%2.png").arg(IDI_MAIN).arg(size), QSize(size, size));
    return icon;
}

QCursor LoadHandCursor() {
    const QPixmap picture(QStringLiteral(":/skin/%1.png").arg(IDC_HAND_CURSOR));
    if (picture.isNull())
        return QCursor(Qt::PointingHandCursor);
    // The fingertip is the hot spot.
    return QCursor(picture, 9, 1);
}
