// A small tmpfs mounted on a temporary folder, so that a full disk never means
// the real one. Mounting needs root; without it, a test runs itself again in a
// user and mount namespace of its own (`unshare -rm`), where it may mount, and
// skips only where neither works. Use MOUNT_SMALL_DISK in the test body.
#pragma once

#include <QFile>
#include <QString>

#include <gtest/gtest.h>
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

enum class ChildVerdict { Passed, Failed, Unavailable };

// Runs the current test again in a child under `unshare -rm`, with its output
// shown; Unavailable inside such a child already, or where unshare cannot run.
ChildVerdict RerunCurrentTestWithMountRights();

// Mounts `disk` on `folder`, or hands the test to a child that can, taking its
// verdict, or skips the test where no way to mount exists.
#define MOUNT_SMALL_DISK(disk, folder, options)                                                    \
    if (!(disk).Mount((folder), (options))) {                                                      \
        const ChildVerdict verdict = RerunCurrentTestWithMountRights();                            \
        if (verdict == ChildVerdict::Unavailable)                                                  \
            GTEST_SKIP() << "cannot mount a small tmpfs here (needs root or unshare -rm)";         \
        ASSERT_EQ(verdict, ChildVerdict::Passed) << "the test failed in its own mount namespace";  \
        return;                                                                                    \
    }
