#include "Bitmaps.h"

#include "resource.h"

#include <QGuiApplication>

namespace {

constexpr int kLargeRatio = 2;

// A screen scaled above 100 % gets the pictures drawn at twice their size;
// Qt scales them down where the scale lies between (125 %, 150 %).
bool AnyScreenScaled() {
    return qGuiApp && qGuiApp->devicePixelRatio() > 1;
}

} // namespace

QPixmap LoadBitmap(int id) {
    if (AnyScreenScaled()) {
        QPixmap large(QStringLiteral(":/skin/%1@%2x.png").arg(id).arg(kLargeRatio));
        if (!large.isNull()) {
            large.setDevicePixelRatio(kLargeRatio);
            return large;
        }
    }
    return QPixmap(QStringLiteral(":/skin/%1.png").arg(id));
}

// The 16, 32 and 48 pixel icons of the design, and 64 and 128 for their
// sizes on scaled screens.
QIcon LoadMainIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/skin/%1_%2.png").arg(IDI_MAIN).arg(size), QSize(size, size));
    return icon;
}

QCursor LoadHandCursor() {
    const QPixmap picture = LoadBitmap(IDC_HAND_CURSOR);
    if (picture.isNull())
        return QCursor(Qt::PointingHandCursor);
    // The fingertip is the hot spot, (9, 1) in logical pixels; X11 takes it in
    // the picture's own pixels.
    const int ratio = qRound(picture.devicePixelRatio());
    return QCursor(picture, 9 * ratio, 1 * ratio);
}
