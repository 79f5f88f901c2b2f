#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(GetProgramFolder, TakesEverythingUpToTheLastSlash) {
    const struct {
        QString commandLine;
        bool dropLastCharacter; // as the option routines pass it
        QString folder;
    } cases[] = {
        {QStringLiteral("\"/opt/Tools/conv\""), true, QStringLiteral("/opt/Tools/")},
        {QStringLiteral("\"/opt/Tools/conv\" "), true, QStringLiteral("/opt/Tools/")},
        {QStringLiteral("/opt/Tools/conv"), true, QStringLiteral("/opt/Tools/")},
        {QStringLiteral("\"/opt/Tools/conv\""), false, QStringLiteral("/opt/Tools/")},
        {QStringLiteral("/opt/Tüls/音/conv"), false, QStringLiteral("/opt/Tüls/音/")},
        {QStringLiteral("/conv"), false, QStringLiteral("/")},
        {QStringLiteral("conv"), true, QString()},
        {QStringLiteral("\"conv\""), false, QString()},
        {QStringLiteral("\""), false, QString()},
        {QString(), false, QString()},
    };
    for (const auto& c : cases) {
        const QString argument = c.dropLastCharacter ? c.commandLine.chopped(1) : c.commandLine;
        SCOPED_TRACE(argument.toStdString());
        EXPECT_EQ(GetProgramFolder(argument), c.folder);
    }
}

TEST(ProgramFolder, IsTheRunningExecutablesFolderWithASlash) {
    const QString folder = ProgramFolder();
    EXPECT_EQ(folder, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    EXPECT_TRUE(
        QFileInfo::exists(folder + QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
}

} // namespace
