// The conversion settings: destination folders, switches, bit rate and channel
// mode. Member order is the order of the option file.
#pragma once

#include <QDir>
#include <QString>
#include <QtGlobal>

struct ConvertOptions {
    QString m_strWaveFolder;
    QString m_strMp3Folder;
    qint32 m_bSameFolder = 0;
    qint32 m_bAutoCreate = 0;
    qint32 m_nBitrate = 0;
    qint32 m_bMinimize = 0;
    qint32 m_nChannelMode = 0;

    // Destination folders under `homeFolder`, output beside the source, folders
    // created on demand, 128 kbit/s, no minimising, dual stereo.
    void SetDefaults(const QString& homeFolder = QDir::homePath());

    bool operator==(const ConvertOptions&) const = default;
};
