#include "FolderWalk.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr qsizetype kBatchFiles = 1000;
constexpr qint64 kBatchMs = 50;

enum class EntryType { File, Folder, Other };

// What a folder entry is; a link counts as the file it names, never as a folder.
EntryType TypeOf(int folderFd, const dirent& entry) {
    struct stat info {};
    switch (entry.d_type) {
    case DT_REG:
        return EntryType::File;
    case DT_DIR:
        return EntryType::Folder;
    case DT_LNK:
        break;
    case DT_UNKNOWN:
        if (::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryType::Other;
        if (S_ISDIR(info.st_mode))
            return EntryType::Folder;
        if (S_ISREG(info.st_mode))
            return EntryType::File;
        if (!S_ISLNK(info.st_mode))
            return EntryType::Other;
        break;
    default:
        return EntryType::Other;
    }
    return ::fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode)
               ? EntryType::File
               : EntryType::Other;
}

struct FolderEntries {
    QStringList files; // of the wanted kind
    QStringList folders;
};

class Walk {
public:
    Walk(SoundFileKind kind, const FolderWalkCalls& calls) : m_kind(kind), m_calls(calls) {
        m_sinceHandOver.start();
    }

    // False once the walk is to end.
    bool TakePath(const QString& path) {
        const QFileInfo info(path);
        if (info.isDir())
            return TakeFolder(info.absoluteFilePath());
        if (info.isFile() && SoundFileKindOf(path) == m_kind)
            return TakeFile(info.absoluteFilePath());
        return true;
    }

    void Finish() {
        if (!m_batch.isEmpty())
            HandOver();
    }

private:
    bool TakeFolder(const QString& folder) {
        FolderEntries entries;
        if (!Read(folder, entries))
            return false;
        for (const QString& name : entries.files)
            if (!TakeFile(JoinFolderAndName(folder, name)))
                return false;
        for (const QString& name : entries.folders)
            if (!TakeFolder(JoinFolderAndName(folder, name)))
                return false;
        return true;
    }

    // The folder's entries by name (an unreadable folder has none); false
    // once the walk is to end.
    bool Read(const QString& folder, FolderEntries& entries) {
        DIR* dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            return true;
        bool going = true;
        while (const dirent* entry = ::readdir(dir)) {
            if (!KeepGoing()) {
                going = false;
                break;
            }
            if (entry->d_name[0] == '.') // hidden, and the folder and its parent
                continue;
            const QString name = QFile::decodeName(entry->d_name);
            switch (TypeOf(::dirfd(dir), *entry)) {
            case EntryType::File:
                if (SoundFileKindOf(name) == m_kind)
                    entries.files << name;
                break;
            case EntryType::Folder:
                entries.folders << name;
                break;
            case EntryType::Other:
                break;
            }
        }
        ::closedir(dir);
        std::sort(entries.files.begin(), entries.files.end());
        std::sort(entries.folders.begin(), entries.folders.end());
        return going;
    }

    bool TakeFile(const QString& path) {
        m_batch << path;
        return KeepGoing();
    }

    // Between entries: hands over the files found once the batch is full or
    // has waited long enough; false once the walk is to end.
    bool KeepGoing() {
        if (!m_batch.isEmpty() &&
            (m_batch.size() >= kBatchFiles || m_sinceHandOver.elapsed() >= kBatchMs))
            return HandOver();
        return !m_calls.stopRequested();
    }

    bool HandOver() {
        const bool going = m_calls.found(m_batch);
        m_batch.clear();
        m_sinceHandOver.restart();
        return going;
    }

    SoundFileKind m_kind;
    const FolderWalkCalls& m_calls;
    QStringList m_batch;
    QElapsedTimer m_sinceHandOver;
};

} // namespace

void WalkSoundFiles(const QStringList& paths, SoundFileKind kind, const FolderWalkCalls& calls) {
    Walk walk(kind, calls);
    for (const QString& path : paths)
        if (!walk.TakePath(path))
            return;
    walk.Finish();
}
