// Opening the maker's web address in the user's browser: the
// desktop first; when the desktop cannot, the command line of the default
// handler of web pages, started without a shell. A failure is explained by
// the design's table of the shell's open error codes.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

constexpr int SW_SHOW = 5;

// Open results: above 32 is success, 32 or below is one of these codes.
constexpr int SE_ERR_FNF = 2;              // the handler's program does not exist
constexpr int SE_ERR_ACCESSDENIED = 5;     // it exists but cannot be run
constexpr int ERROR_BAD_FORMAT = 11;       // it could not be started
constexpr int SE_ERR_ASSOCINCOMPLETE = 27; // its Exec line cannot be parsed
constexpr int SE_ERR_NOASSOC = 31;         // no program opens web pages
constexpr int kOpenSucceeded = 33;

// Opens `address`; `showCommand` is kept for the design's convention (the
// desktop decides how the browser shows). Returns kOpenSucceeded or an error code.
int OpenWebAddress(const QString& address, int showCommand);

// Shows "Unable to open hyperlink:" and the text of `code`, with the program's
// name as caption and an exclamation icon.
void ReportOpenError(int code, QWidget* owner = nullptr);
// The table's text for `code`.
QString OpenErrorText(int code);

// The parts of the fallback, each a pure function.
namespace WebAddress {

// Cuts an Exec line at its first %u, %U, %f or %F placeholder: just before
// the opening quote when the placeholder stands in double quotes, else just
// before the placeholder; a line without one is kept whole. "%%" is a percent
// sign, not a placeholder.
QString CutAtPlaceholder(const QString& command);

// Splits an Exec value (string escapes already undone) into arguments by the
// desktop-entry quoting rules: blanks separate, double quotes group, and a
// backslash inside quotes takes the next character literally. False when a
// quote is left open.
bool SplitExecLine(const QString& command, QStringList* arguments);

// Undoes the string escapes of a desktop-entry value (\s \n \t \r \\).
QString UnescapeValue(const QString& value);

// The program and arguments that open `address` with the handler whose
// desktop file holds `exec` (its Exec value, unescaped): the line cut at its
// placeholder, split, the remaining field codes resolved, and the address as
// the last argument, unchanged. Empty when the line names no program.
QStringList HandlerCommand(const QString& exec, const QString& address,
                           const QString& desktopFile = QString(), const QString& name = QString(),
                           const QString& icon = QString());

// The folders searched for desktop files: $XDG_DATA_HOME (or ~/.local/share)
// and then $XDG_DATA_DIRS (or /usr/local/share:/usr/share), each with
// "applications" appended.
QStringList ApplicationFolders();

} // namespace WebAddress
