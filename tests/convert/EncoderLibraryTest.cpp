// Loading libsonavek.so by absolute path: a real library and real failures.
#include "EncoderLibrary.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// How many of the five entry points are set.
int EntryPointsSet(const CEncoderLibrary& library) {
    return !!library.m_pBeVersion + !!library.m_pBeInitStream + !!library.m_pBeEncodeChunk +
           !!library.m_pBeDeinitStream + !!library.m_pBeCloseStream;
}

// The file a loaded shared object came from.
QString SharedObjectPath(const char* soname, const char* symbol) {
    void* module = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    Dl_info info{};
    if (!module || !dladdr(dlsym(module, symbol), &info))
        return {};
    return QFile::decodeName(info.dli_fname);
}

TEST(EncoderLibraryTest, LoadsFromTheSystemDirectoryByAbsolutePath) {
    const QString directory = SystemLibraryDirectory();
    ASSERT_TRUE(QDir::isAbsolutePath(directory)) << directory.toStdString();
    EXPECT_NE(directory, QDir(QCoreApplication::applicationDirPath()).absolutePath())
        << "never the program's own folder";

    CEncoderLibrary library;
    ASSERT_TRUE(library.Load());
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_EQ(EntryPointsSet(library), 5);
    BE_VERSION version{};
    EXPECT_EQ(library.m_pBeVersion(&version), BE_ERR_SUCCESSFUL);
}

TEST(EncoderLibraryTest, MissingLibraryFails) {
    QTemporaryDir empty;
    CEncoderLibrary library;
    EXPECT_FALSE(library.Load(empty.path()));
    EXPECT_FALSE(library.Load(QString()));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(EntryPointsSet(library), 0);
}

TEST(EncoderLibraryTest, RelativeDirectoryIsRefusedEvenWhereTheLibraryIs) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(SystemLibraryDirectory()));
    CEncoderLibrary library;
    const bool loaded = library.Load(QStringLiteral("."));
    QDir::setCurrent(previous);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(EntryPointsSet(library), 0);
}

TEST(EncoderLibraryTest, FileThatIsNotTheEncoderFails) {
    QTemporaryDir dir;
    const QString target = dir.filePath(EncoderLibraryFileName());

    ASSERT_TRUE(WriteBytes(target, "not a shared object\n"));
    CEncoderLibrary library;
    EXPECT_FALSE(library.Load(dir.path()));

    // A real shared object without the entry points.
    const QString lame = SharedObjectPath("libmp3lame.so.0", "lame_init");
    ASSERT_FALSE(lame.isEmpty());
    ASSERT_TRUE(QFile::remove(target));
    ASSERT_TRUE(QFile::copy(lame, target));
    EXPECT_FALSE(library.Load(dir.path()));
    EXPECT_EQ(EntryPointsSet(library), 0);
}

} // namespace
