#include "EncoderLibrary.h"

#include "ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

template <typename Function> bool LookUp(void* module, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(module, name));
    return *function != nullptr;
}

} // namespace

QString SystemLibraryDirectory() {
    return EncoderLibraryFolder();
}

QString EncoderLibraryFileName() {
    return QStringLiteral("libsonavek.so");
}

bool CEncoderLibrary::Load(const QString& directory) {
    // A relative path would make dlopen search from the current directory.
    if (directory.isEmpty() || !QDir::isAbsolutePath(directory))
        return false;
    const QString path = QDir(directory).filePath(EncoderLibraryFileName());
    void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return false;
    BEVERSION version = nullptr;
    BEINITSTREAM initStream = nullptr;
    BEENCODECHUNK encodeChunk = nullptr;
    BEDEINITSTREAM deinitStream = nullptr;
    BECLOSESTREAM closeStream = nullptr;
    if (!LookUp(module, "beInitStream", &initStream) ||
        !LookUp(module, "beEncodeChunk", &encodeChunk) ||
        !LookUp(module, "beDeinitStream", &deinitStream) ||
        !LookUp(module, "beCloseStream", &closeStream) || !LookUp(module, "beVersion", &version)) {
        dlclose(module);
        return false;
    }
    m_pBeVersion = version;
    m_pBeInitStream = initStream;
    m_pBeEncodeChunk = encodeChunk;
    m_pBeDeinitStream = deinitStream;
    m_pBeCloseStream = closeStream;
    LookUp(module, "beGetInfoTag", &m_pBeGetInfoTag);
    return true;
}
