#include "DesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool OpenDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool OpenAddress(const QString& address) {
    return QDesktopServices::openUrl(QUrl(address));
}
