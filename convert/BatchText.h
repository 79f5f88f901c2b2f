// The texts and paths of a batch: the counter, file kinds and destinations.
#pragma once

#include <QString>

// "N  of  M  files", shown in the status label and as the window title.
QString BatchCounterText(int started, int total);

// True when the last 4 characters of `name` are `extension` (".wav" or
// ".mp3"), in any letter case.
bool HasExtension(const QString& name, const QString& extension);

// `name` without its last 4 characters, followed by `extension`.
QString ReplaceExtension(const QString& name, const QString& extension);
