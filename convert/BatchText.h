// The texts and paths of a batch: the counter and the destinations' names.
#pragma once

#include <QString>

// "N  of  M  files", shown in the status label and as the window title.
QString BatchCounterText(int started, int total);

// `name` without its last 4 characters, followed by `extension`.
QString ReplaceExtension(const QString& name, const QString& extension);
