// What the commands that play list files decide from a row: the kind of its
// file, and the status text that marks the wave row last started.
#pragma once

#include <QString>

// The status of the row whose wave file was started last. Nothing clears it
// when the sound ends by itself.
inline constexpr const char* kStatusPlaying = "playing ...";

enum class SoundFileKind { Mp3, Wave, Other };

// From the last four characters of the file name, ignoring case: ".mp3", ".wav".
SoundFileKind SoundFileKindOf(const QString& fileName);
