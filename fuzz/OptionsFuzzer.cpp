// The option file over any bytes. A file that reads writes back and reads
// again to the same record, byte for byte what was written; text stored as
// 16-bit units that are not valid UTF-16 is the one thing replaced. Loading
// the same bytes from a folder gives what reading gave, or the defaults, and
// then the file holds the defaults.
#include "FuzzCheck.h"
#include "OptionFile.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

namespace {

// What writing keeps of a string: UTF-8 cannot hold a lone surrogate, and Qt
// writes a '?' for one.
QString WithLoneSurrogatesReplaced(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool paired =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (paired)
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QLatin1Char('?');
    }
    return text;
}

bool Read(const QByteArray& bytes, ConvertOptions& options, bool* wholeFile = nullptr) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const bool read = ReadOptionFile(buffer, options);
    if (wholeFile)
        *wholeFile = buffer.atEnd();
    return read;
}

void CheckRoundTrip(const ConvertOptions& read) {
    QBuffer written;
    written.open(QIODevice::WriteOnly);
    Require(WriteOptionFile(written, read), "a record that was read can be written");
    ConvertOptions again;
    bool wholeFile = false;
    Require(Read(written.data(), again, &wholeFile) && wholeFile,
            "what was written reads again, to its last byte");
    ConvertOptions expected = read;
    expected.m_strWaveFolder = WithLoneSurrogatesReplaced(read.m_strWaveFolder);
    expected.m_strMp3Folder = WithLoneSurrogatesReplaced(read.m_strMp3Folder);
    Require(again == expected, "what was written reads again to the same record");
}

void CheckLoad(const QByteArray& bytes, bool read, const ConvertOptions& fromRead) {
    static QTemporaryDir folder;
    const QString programFolder = folder.path() + QLatin1Char('/');
    QFile file(OptionFilePath(programFolder));
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            "the option file can be written for loading");
    file.close();
    ConvertOptions loaded;
    Require(LoadOptions(programFolder, loaded), "loading succeeds in a writable folder");
    if (read) {
        Require(loaded == fromRead, "loading a readable file gives what reading gave");
        return;
    }
    ConvertOptions defaults;
    defaults.SetDefaults();
    Require(loaded == defaults, "an unreadable file loads as the defaults");
    file.open(QIODevice::ReadOnly);
    ConvertOptions saved;
    Require(Read(file.readAll(), saved) && saved == defaults,
            "an unreadable file is replaced by the defaults");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ConvertOptions options;
    const bool read = Read(bytes, options);
    if (read)
        CheckRoundTrip(options);
    CheckLoad(bytes, read, options);
    return 0;
}
