// Finds the sound files of one kind that dropped paths hold, in the order a
// drop lists them: path by path, each folder by name with its own files before
// its subfolders. Hidden entries, linked subfolders (so a link cannot loop) and
// folders that cannot be read are passed over.
#pragma once

#include "Paths.h"

#include <QStringList>

#include <functional>

struct FolderWalkCalls {
    // Asked between entries; true ends the walk.
    std::function<bool()> stopRequested;
    // The next files found, in order, a batch at a time; false ends the walk.
    std::function<bool(const QStringList& files)> found;
};

// Runs the whole walk on the calling thread, handing the files over in batches
// of at most 1000, and sooner when 50 ms have passed since the last one.
void WalkSoundFiles(const QStringList& paths, SoundFileKind kind, const FolderWalkCalls& calls);
