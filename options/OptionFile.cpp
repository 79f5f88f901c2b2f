#include "OptionFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QtEndian>

#include <algorithm>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint8 kLongerPrefix = 0xFF;
constexpr quint16 kWideMarker = 0xFFFE;
constexpr quint16 kLongestPrefix = 0xFFFF;

// A declared length is never trusted with one allocation: the bytes are read
// in bounded pieces, so a length beyond the file's end fails after what the
// file really holds.
bool ReadBytes(QIODevice& file, qint64 count, QByteArray& bytes) {
    constexpr qint64 kPiece = 64 * 1024;
    bytes.clear();
    while (bytes.size() < count) {
        const QByteArray piece = file.read(std::min(kPiece, count - bytes.size()));
        if (piece.isEmpty())
            return false;
        bytes += piece;
    }
    return true;
}

template <typename T> bool ReadLittleEndian(QIODevice& file, T& value) {
    QByteArray bytes;
    if (!ReadBytes(file, sizeof(T), bytes))
        return false;
    value = qFromLittleEndian<T>(bytes.constData());
    return true;
}

// Any prefix form is accepted for any length. With `wide`, FF FFFE announces
// 16-bit characters counted by a second prefix.
bool ReadLength(QIODevice& file, quint32& length, bool* wide) {
    quint8 shortLength = 0;
    if (!ReadLittleEndian(file, shortLength))
        return false;
    if (shortLength < kLongerPrefix) {
        length = shortLength;
        return true;
    }
    quint16 mediumLength = 0;
    if (!ReadLittleEndian(file, mediumLength))
        return false;
    if (wide && mediumLength == kWideMarker) {
        *wide = true;
        return ReadLength(file, length, nullptr);
    }
    if (mediumLength < kLongestPrefix) {
        length = mediumLength;
        return true;
    }
    return ReadLittleEndian(file, length);
}

bool ReadString(QIODevice& file, QString& text) {
    bool wide = false;
    quint32 length = 0;
    if (!ReadLength(file, length, &wide))
        return false;
    QByteArray bytes;
    if (!ReadBytes(file, wide ? 2 * qint64(length) : qint64(length), bytes))
        return false;
    // A leading U+FEFF is part of the name, not a byte order mark to drop;
    // invalid or unfinished sequences become U+FFFD.
    QStringDecoder decoder(wide ? QStringDecoder::Utf16LE : QStringDecoder::Utf8,
                           QStringDecoder::Flag::ConvertInitialBom |
                               QStringDecoder::Flag::Stateless);
    text = decoder.decode(bytes);
    return true;
}

void AppendInt32(QByteArray& data, qint32 value) {
    char bytes[sizeof value];
    qToLittleEndian(value, bytes);
    data.append(bytes, sizeof bytes);
}

void AppendLength(QByteArray& data, quint32 length) {
    if (length < kLongerPrefix) {
        data.append(char(length));
        return;
    }
    data.append(char(kLongerPrefix));
    char bytes[sizeof(quint32)];
    if (length < kWideMarker) {
        qToLittleEndian(quint16(length), bytes);
        data.append(bytes, sizeof(quint16));
        return;
    }
    qToLittleEndian(kLongestPrefix, bytes);
    data.append(bytes, sizeof(quint16));
    qToLittleEndian(length, bytes);
    data.append(bytes, sizeof(quint32));
}

bool AppendString(QByteArray& data, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() > std::numeric_limits<quint32>::max())
        return false;
    AppendLength(data, quint32(bytes.size()));
    data += bytes;
    return true;
}

// Where a save goes: the file itself, or what its link points to, so a
// linked option file stays linked.
QString SaveTarget(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Read-only for this user, or for everybody (which even root respects here).
bool IsReadOnly(const QFileInfo& info, const QByteArray& name) {
    constexpr QFile::Permissions kAnyWrite =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return ::access(name.constData(), W_OK) != 0 || !(info.permissions() & kAnyWrite);
}

// Opens without waiting: a FIFO would otherwise block until its other end
// opened. `file` takes the descriptor.
bool OpenWithoutWaiting(const QString& path, int flags, QIODevice::OpenMode mode, QFile& file) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

// Only a regular file is read; anything else reads as an unreadable file.
bool OpenRegularFile(const QString& path, QFile& file) {
    struct stat info {};
    return OpenWithoutWaiting(path, O_RDONLY, QIODevice::ReadOnly, file) &&
           ::fstat(file.handle(), &info) == 0 && S_ISREG(info.st_mode);
}

// Something that is not a regular file (a device, say) cannot be replaced by
// renaming; it is written as it stands, and a FIFO nobody reads fails at once.
SaveOptionsResult WriteInPlace(const QString& path, const ConvertOptions& options) {
    QFile file;
    if (!OpenWithoutWaiting(path, O_WRONLY | O_TRUNC, QIODevice::WriteOnly, file))
        return SaveOptionsResult::NotCreated;
    return WriteOptionFile(file, options) ? SaveOptionsResult::Saved
                                          : SaveOptionsResult::NotWritten;
}

// The new file is written in full under a temporary name beside the old one,
// flushed to the disk and only then renamed over it, so a full disk or a quota
// never leaves a short option file behind. A file made read-only stays as it is.
SaveOptionsResult CreateOptionFile(const QString& path, const ConvertOptions& options) {
    const QString target = SaveTarget(path);
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return WriteInPlace(target, options);
    const QByteArray targetName = QFile::encodeName(target);
    if (info.exists() && IsReadOnly(info, targetName))
        return SaveOptionsResult::NotCreated;
    QTemporaryFile temporary(info.absolutePath() + QStringLiteral("/.option.opt.XXXXXX"));
    if (!temporary.open())
        return SaveOptionsResult::NotCreated;
    temporary.setPermissions(info.exists() ? info.permissions()
                                           : QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ReadGroup | QFile::ReadOther);
    if (!WriteOptionFile(temporary, options) || ::fsync(temporary.handle()) != 0 ||
        ::rename(QFile::encodeName(temporary.fileName()).constData(), targetName.constData()) != 0)
        return SaveOptionsResult::NotWritten;
    temporary.setAutoRemove(false);
    return SaveOptionsResult::Saved;
}

} // namespace

bool ReadOptionFile(QIODevice& file, ConvertOptions& options) {
    return ReadString(file, options.m_strWaveFolder) && ReadString(file, options.m_strMp3Folder) &&
           ReadLittleEndian(file, options.m_bSameFolder) &&
           ReadLittleEndian(file, options.m_bAutoCreate) &&
           ReadLittleEndian(file, options.m_nBitrate) &&
           ReadLittleEndian(file, options.m_bMinimize) &&
           ReadLittleEndian(file, options.m_nChannelMode);
}

bool WriteOptionFile(QIODevice& file, const ConvertOptions& options) {
    QByteArray data;
    if (!AppendString(data, options.m_strWaveFolder) || !AppendString(data, options.m_strMp3Folder))
        return false;
    for (qint32 value : {options.m_bSameFolder, options.m_bAutoCreate, options.m_nBitrate,
                         options.m_bMinimize, options.m_nChannelMode})
        AppendInt32(data, value);
    if (file.write(data) != data.size())
        return false;
    // A file buffers what it takes; a full disk shows only when the buffer goes out.
    auto* fileDevice = qobject_cast<QFileDevice*>(&file);
    return !fileDevice || fileDevice->flush();
}

QString OptionFilePath(const QString& programFolder) {
    return programFolder + QStringLiteral("option.opt");
}

bool LoadOptions(const QString& programFolder, ConvertOptions& options) {
    const QString path = OptionFilePath(programFolder);
    {
        QFile file;
        if (OpenRegularFile(path, file) && ReadOptionFile(file, options))
            return true;
    }
    // Missing, unreadable or short: start over with the defaults.
    options.SetDefaults();
    return CreateOptionFile(path, options) == SaveOptionsResult::Saved;
}

SaveOptionsResult SaveOptions(const QString& programFolder, const ConvertOptions& options) {
    return CreateOptionFile(OptionFilePath(programFolder), options);
}
