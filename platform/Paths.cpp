#include "Paths.h"

#include <QFile>

#include <sys/stat.h>

SoundFileKind SoundFileKindOf(const QString& fileName) {
    const QString ending = fileName.right(4);
    if (ending.compare(".mp3", Qt::CaseInsensitive) == 0)
        return SoundFileKind::Mp3;
    if (ending.compare(".wav", Qt::CaseInsensitive) == 0)
        return SoundFileKind::Wave;
    return SoundFileKind::Other;
}

QString JoinFolderAndName(const QString& folder, const QString& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QString FolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

bool IsFolder(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}
