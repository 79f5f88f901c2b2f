// Hands a document or a web address to the desktop, which opens it with the
// user's chosen program.
#pragma once

#include <QString>

// Opens a local file with its associated program; true when the desktop took it.
bool OpenDocument(const QString& path);
// Opens a web address in the user's browser; true when the desktop took it.
bool OpenAddress(const QString& address);
