#include "PlayList.h"

SoundFileKind SoundFileKindOf(const QString& fileName) {
    const QString ending = fileName.right(4);
    if (ending.compare(".mp3", Qt::CaseInsensitive) == 0)
        return SoundFileKind::Mp3;
    if (ending.compare(".wav", Qt::CaseInsensitive) == 0)
        return SoundFileKind::Wave;
    return SoundFileKind::Other;
}
