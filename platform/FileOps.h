// File moves that never replace a file already standing under the new name.
#pragma once

#include <QString>

// Renames or moves `from` to `to`; fails, changing nothing, when `to` exists.
// Uses an atomic no-replace rename, or a hard link and an unlink where the
// filesystem lacks it.
bool RenameNoReplace(const QString& from, const QString& to);

// The fallback of RenameNoReplace: link `to` to `from`, then remove `from`.
bool MoveByLink(const QString& from, const QString& to);
