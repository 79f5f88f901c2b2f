#include "ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

QString GetProgramFolder(const QString& commandLine) {
    const QChar quote = QLatin1Char('"');
    QString path = commandLine;
    if (path.endsWith(quote))
        path.chop(1);
    if (path.startsWith(quote))
        path.remove(0, 1);
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ProgramFolder() {
    const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (executable.isEmpty())
        return QString();
    const QString folder = QFileInfo(executable).absolutePath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
