// Finds libsonavek.so in the system directory and looks up its five entry
// points, and the sixth (the Info frame) where the library has it. A loaded
// library stays loaded for the rest of the run.
#pragma once

#include "Sonavek.h"

#include <QString>

// The directory that holds the encoder library: the build tree's library
// folder, or <prefix>/lib/brindle for an installed program. Never the
// program's folder or the current one.
QString SystemLibraryDirectory();

// "libsonavek.so"
QString EncoderLibraryFileName();

class CEncoderLibrary {
public:
    // Loads the library from `directory`, which must be absolute. False when
    // the library or any of the five is missing, and nothing changes then.
    bool Load(const QString& directory = SystemLibraryDirectory());
    bool IsLoaded() const { return m_pBeVersion != nullptr; }

    BEVERSION m_pBeVersion = nullptr;
    BEINITSTREAM m_pBeInitStream = nullptr;
    BEENCODECHUNK m_pBeEncodeChunk = nullptr;
    BEDEINITSTREAM m_pBeDeinitStream = nullptr;
    BECLOSESTREAM m_pBeCloseStream = nullptr;
    BEGETINFOTAG m_pBeGetInfoTag = nullptr; // null: the library has none
};
