// Plays list wave files in the background on the default audio output, one at
// a time: starting one replaces whatever played before.
#pragma once

#include <QAudioFormat>
#include <QString>

#include <optional>

// Starts playing the RIFF PCM file at `path` and returns at once; false when the
// file cannot be played (missing, not RIFF PCM, no output device).
bool PlayWaveFile(const QString& path);

// Stops the wave sound, if one plays.
void StopWavePlaying();

// True while a wave sound is being played.
bool IsWavePlaying();

// Where the samples of a PCM wave file are.
struct WaveLayout {
    QAudioFormat format;
    qint64 dataOffset = 0;
    qint64 dataBytes = 0; // cut to what the file really holds, in whole sample frames
};

// The file at `path` as the player takes it: 8, 16 or 32-bit integer PCM with samples.
std::optional<WaveLayout> ReadWaveLayout(const QString& path);
