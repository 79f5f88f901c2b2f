#include "ProgramFolder.h"

#include "BuildTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString WithSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// <prefix>/<relative>/ for the prefix the running program is installed in.
QString InstalledFolder(const QString& relative) {
    return WithSlash(QDir::cleanPath(ProgramFolder() + QStringLiteral("../") + relative));
}

} // namespace

QString GetProgramFolder(const QString& commandLine) {
    const QChar quote = QLatin1Char('"');
    QString path = commandLine;
    if (path.endsWith(quote))
        path.chop(1);
    if (path.startsWith(quote))
        path.remove(0, 1);
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ProgramFolder() {
    const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (executable.isEmpty())
        return QString();
    return WithSlash(QFileInfo(executable).absolutePath());
}

bool RunsFromBuildTree() {
    const QString buildPrograms =
        QFileInfo(QStringLiteral(BRINDLE_BUILD_PROGRAM_DIRECTORY)).canonicalFilePath();
    return !buildPrograms.isEmpty() && ProgramFolder() == WithSlash(buildPrograms);
}

QString SettingsFolder() {
    if (RunsFromBuildTree())
        return ProgramFolder();
    const QString folder =
        UserSettingsFolder(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
    QDir().mkpath(folder);
    return folder;
}

QString UserSettingsFolder(const QString& configHome, const QString& home) {
    const QString base =
        QDir::isAbsolutePath(configHome) ? configHome : home + QStringLiteral("/.config");
    return WithSlash(QDir::cleanPath(base + QStringLiteral("/brindle")));
}

QString HelpFolder() {
    return RunsFromBuildTree() ? ProgramFolder()
                               : InstalledFolder(QStringLiteral("share/doc/brindle"));
}

QString EncoderLibraryFolder() {
    return RunsFromBuildTree() ? QStringLiteral(BRINDLE_BUILD_LIBRARY_DIRECTORY)
                               : InstalledFolder(QStringLiteral("lib/brindle"));
}
