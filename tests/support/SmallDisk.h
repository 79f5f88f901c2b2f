// A small tmpfs mounted on a temporary folder, so that a full disk never means
// the real one. Mounting needs root; tests skip where it fails.
#pragma once

#include <QFile>
#include <QString>

#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>

class SmallDisk {
public:
    // `options` as mount(8) takes them, e.g. "size=600k" or "nr_inodes=2".
    bool Mount(const QString& folder, const QString& options) {
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                    options.toUtf8().constData()) != 0)
            return false;
        m_folder = folder;
        return IsOwnTmpfs(folder);
    }
    ~SmallDisk() {
        if (!m_folder.isEmpty())
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }

private:
    // Writes must land on the new mount, never on the disk beneath: the folder
    // is a tmpfs and a file system of its own, apart from its parent's.
    static bool IsOwnTmpfs(const QString& folder) {
        const QByteArray path = QFile::encodeName(folder);
        const QByteArray parent = QFile::encodeName(folder + "/..");
        struct statfs info {};
        struct stat self {
        }, above{};
        return ::statfs(path.constData(), &info) == 0 && info.f_type == TMPFS_MAGIC &&
               ::stat(path.constData(), &self) == 0 && ::stat(parent.constData(), &above) == 0 &&
               self.st_dev != above.st_dev;
    }

    QString m_folder;
};
