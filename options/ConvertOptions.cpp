#include "ConvertOptions.h"

namespace {

// A home folder of "/" must not give "//WavFile".
QString SubFolder(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

void ConvertOptions::SetDefaults(const QString& homeFolder) {
    m_strWaveFolder = SubFolder(homeFolder, QStringLiteral("WavFile"));
    m_strMp3Folder = SubFolder(homeFolder, QStringLiteral("Mp3File"));
    m_bSameFolder = 1;
    m_bAutoCreate = 1;
    m_nBitrate = 128;
    m_bMinimize = 0;
    m_nChannelMode = 0;
}
