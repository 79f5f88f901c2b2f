// Where the program lives: the option file and the help file sit beside it.
#pragma once

#include <QString>

// The folder part of a command line, up to and including its last "/", after
// one trailing and one leading double quote are removed; empty without "/".
QString GetProgramFolder(const QString& commandLine);

// The running executable's folder with a trailing "/", empty if unknown.
QString ProgramFolder();
