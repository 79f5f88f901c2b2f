// The rules every part shares for paths and sound files: a file's kind by its
// name, a row's full path, the folder of a path, and the folder test.
#pragma once

#include <QString>

enum class SoundFileKind { Mp3, Wave, Other };

// From the last four characters of the name, ignoring case: ".mp3", ".wav".
SoundFileKind SoundFileKindOf(const QString& fileName);

// Folder + "/" + name; a folder that already ends in "/" (the root) gives one separator.
QString JoinFolderAndName(const QString& folder, const QString& name);
// The folder holding `path`, without a trailing separator except for the root "/".
QString FolderOf(const QString& path);

// True when `path` names a folder, or a link to one.
bool IsFolder(const QString& path);
