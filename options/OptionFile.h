// option.opt: the seven settings back to back, no header. A string is a length
// prefix and its UTF-8 bytes; a number is 32-bit little-endian.
#pragma once

#include "ConvertOptions.h"

#include <QIODevice>
#include <QString>

// Reads the seven items straight into `options`, in file order. False when the
// data end early; members read before that keep their new values.
bool ReadOptionFile(QIODevice& file, ConvertOptions& options);

// Writes the seven items. False when the device takes fewer bytes.
bool WriteOptionFile(QIODevice& file, const ConvertOptions& options);

// `programFolder` followed directly by "option.opt" (the bare name when empty).
QString OptionFilePath(const QString& programFolder);

// Fills `options` from the option file in `programFolder`. A missing or
// unreadable file is recreated with the defaults. False only when that fails.
bool LoadOptions(const QString& programFolder, ConvertOptions& options);

enum class SaveOptionsResult { Saved, NotCreated, NotWritten };

// Replaces the option file in `programFolder` with `options`.
SaveOptionsResult SaveOptions(const QString& programFolder, const ConvertOptions& options);
