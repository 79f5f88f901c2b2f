// Writes the fuzz targets' starting corpora into <folder>/wave, <folder>/mp3
// and <folder>/options: short tones from the tests' generators in every
// sample format and MPEG version, the forms of the wave layout the reader
// knows, and option files in each of their length forms.
#include "OptionFile.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QtEndian>

#include <cstdio>

namespace {

template <typename T> QByteArray Little(T value) {
    QByteArray bytes(sizeof value, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A canonical file's fmt chunk in its extensible form, the real tag moved into the sub-format.
QByteArray Extensible(const QByteArray& canonical) {
    const QByteArray fmt = canonical.mid(20, 16);
    const quint16 tag = qFromLittleEndian<quint16>(fmt.constData());
    const quint16 channels = qFromLittleEndian<quint16>(fmt.constData() + 2);
    const quint16 bits = qFromLittleEndian<quint16>(fmt.constData() + 14);
    const QByteArray subFormatTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    const QByteArray extended = Little<quint16>(0xFFFE) + fmt.mid(2) + Little<quint16>(22) +
                                Little<quint16>(bits) + Little<quint32>(channels == 2 ? 3 : 4) +
                                Little<quint16>(tag) + subFormatTail;
    const QByteArray chunks = "WAVEfmt " + Little<quint32>(40) + extended + canonical.mid(36);
    return "RIFF" + Little<quint32>(quint32(chunks.size())) + chunks;
}

// An odd-sized chunk we do not know (with its pad byte) before the data.
QByteArray WithUnknownChunk(const QByteArray& canonical) {
    const QByteArray chunks = canonical.mid(8, 28) + "LIST" + Little<quint32>(3) +
                              QByteArray("abc\0", 4) + canonical.mid(36);
    return "RIFF" + Little<quint32>(quint32(chunks.size())) + chunks;
}

bool WriteWaveSeeds(const QDir& folder) {
    const std::pair<SampleFormat, const char*> formats[] = {{SampleFormat::U8, "u8"},
                                                            {SampleFormat::S16, "s16"},
                                                            {SampleFormat::S24, "s24"},
                                                            {SampleFormat::S32, "s32"},
                                                            {SampleFormat::F32, "f32"}};
    for (const auto& [format, name] : formats) {
        for (int channels : {1, 2}) {
            const ToneSpec tone{8000, channels, 0.01, 440.0, 0.5, format};
            const QString path =
                folder.filePath(QStringLiteral("%1-%2ch.wav").arg(name).arg(channels));
            if (!WriteToneWave(path, tone))
                return false;
        }
    }
    const QByteArray stereo = ReadAll(folder.filePath("s16-2ch.wav"));
    const QByteArray cutShort = stereo.left(stereo.size() - 7);
    return WriteBytes(folder.filePath("s16-extensible.wav"), Extensible(stereo)) &&
           WriteBytes(folder.filePath("f32-extensible.wav"),
                      Extensible(ReadAll(folder.filePath("f32-1ch.wav")))) &&
           WriteBytes(folder.filePath("s16-list-chunk.wav"), WithUnknownChunk(stereo)) &&
           WriteBytes(folder.filePath("s16-cut-short.wav"), cutShort);
}

bool WriteMp3Seeds(const QDir& folder) {
    const ToneSpec mpeg1{44100, 2, 0.1};
    const ToneSpec mpeg2{22050, 1, 0.2};
    const ToneSpec mpeg25{8000, 1, 0.4};
    if (!WriteToneMp3(folder.filePath("mpeg1-stereo.mp3"), mpeg1) ||
        !WriteToneMp3(folder.filePath("mpeg1-untagged.mp3"), mpeg1, 128, {"-t"}) ||
        !WriteToneMp3(folder.filePath("mpeg1-id3.mp3"), mpeg1, 64,
                      {"--add-id3v2", "--tt", "seed", "-t"}) ||
        !WriteToneMp3(folder.filePath("mpeg2-mono.mp3"), mpeg2, 32) ||
        !WriteToneMp3(folder.filePath("mpeg25-mono.mp3"), mpeg25, 16, {"-t"}))
        return false;
    const QByteArray whole = ReadAll(folder.filePath("mpeg1-untagged.mp3"));
    return WriteBytes(folder.filePath("mpeg1-cut-short.mp3"), whole.left(whole.size() - 100));
}

bool WriteOptionSeed(const QString& path, const ConvertOptions& options) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return WriteOptionFile(buffer, options) && WriteBytes(path, buffer.data());
}

bool WriteOptionSeeds(const QDir& folder) {
    ConvertOptions defaults;
    defaults.SetDefaults(QStringLiteral("/home/user"));
    ConvertOptions unusual = defaults;
    unusual.m_strWaveFolder = QStringLiteral("/srv/Klänge/") + QString(300, QLatin1Char('w'));
    unusual.m_strMp3Folder.clear();
    unusual.m_nBitrate = 320;
    unusual.m_nChannelMode = 3;
    // The 16-bit form and the 32-bit length form, which the writer never uses.
    const QByteArray numbers = Little<qint32>(1) + Little<qint32>(0) + Little<qint32>(128) +
                               Little<qint32>(1) + Little<qint32>(2);
    const QByteArray wide = QByteArray("\xFF\xFE\xFF\x04", 4) + QByteArray("/\0t\0m\0\x3D\xD8", 8) +
                            QByteArray("\xFF\xFF\xFF\x03\x00\x00\x00/mp", 10) + numbers;
    return WriteOptionSeed(folder.filePath("defaults.opt"), defaults) &&
           WriteOptionSeed(folder.filePath("long-folder.opt"), unusual) &&
           WriteBytes(folder.filePath("wide-and-long-lengths.opt"), wide);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char* corpus : {"wave", "mp3", "options"}) {
        if (!root.mkpath(corpus)) {
            std::fprintf(stderr, "cannot create %s\n", corpus);
            return 1;
        }
    }
    if (!WriteWaveSeeds(root.filePath("wave")) || !WriteMp3Seeds(root.filePath("mp3")) ||
        !WriteOptionSeeds(root.filePath("options"))) {
        std::fprintf(stderr, "cannot write the seeds\n");
        return 1;
    }
    return 0;
}
