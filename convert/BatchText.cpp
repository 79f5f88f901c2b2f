#include "BatchText.h"

QString BatchCounterText(int started, int total) {
    return QString::asprintf("%d%s%d%s", started, "  of  ", total, "  files");
}

QString ReplaceExtension(const QString& name, const QString& extension) {
    return name.left(std::max<qsizetype>(0, name.size() - 4)) + extension;
}
