// Where the program lives, and where it keeps its files: beside the
// executable in the build tree, or in the usual places of an installed
// prefix (<prefix>/bin, lib/brindle, share/doc/brindle) and the user's
// configuration folder.
#pragma once

#include <QString>

// The folder part of a command line, up to and including its last "/", after
// one trailing and one leading double quote are removed; empty without "/".
QString GetProgramFolder(const QString& commandLine);

// The running executable's folder with a trailing "/", empty if unknown.
QString ProgramFolder();

// True when the running executable is one the build tree made in its program
// folder; otherwise it runs from an installed prefix.
bool RunsFromBuildTree();

// The folder of option.opt, with a trailing "/": beside the executable in the
// build tree; for an installed program the user's configuration folder
// (see UserSettingsFolder), created if missing.
QString SettingsFolder();

// <configHome>/brindle/ when `configHome` (XDG_CONFIG_HOME) is an absolute
// path, otherwise <home>/.config/brindle/.
QString UserSettingsFolder(const QString& configHome, const QString& home);

// The folder of the help page, with a trailing "/": beside the executable in
// the build tree, <prefix>/share/doc/brindle/ when installed.
QString HelpFolder();

// The folder libsonavek.so is loaded from: the build tree's library folder,
// or <prefix>/lib/brindle for an installed program. Never the current folder.
QString EncoderLibraryFolder();
