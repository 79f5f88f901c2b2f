// A small tmpfs mounted on a temporary folder, so that a full disk never means
// the real one. Mounting needs root; tests skip where it fails.
#pragma once

#include <QFile>
#include <QString>

#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/vfs.h>

class SmallDisk {
public:
    // `options` as mount(8) takes them, e.g. "size=600k" or "nr_inodes=2".
    bool Mount(const QString& folder, const QString& options) {
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                    options.toUtf8().constData()) != 0)
            return false;
        m_folder = folder;
        struct statfs info {};
        return ::statfs(QFile::encodeName(folder).constData(), &info) == 0 &&
               info.f_type == TMPFS_MAGIC;
    }
    ~SmallDisk() {
        if (!m_folder.isEmpty())
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }

private:
    QString m_folder;
};
