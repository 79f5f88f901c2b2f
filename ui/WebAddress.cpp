#include "WebAddress.h"

#include "DesktopOpener.h"
#include "MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace WebAddress {

namespace {

bool IsPlaceholderLetter(QChar letter) {
    return letter == 'u' || letter == 'U' || letter == 'f' || letter == 'F';
}

// Field codes other than the placeholders: %% is a percent sign, %c the
// handler's name, %k its desktop file, %i its icon; the rest stand for nothing.
QStringList ExpandFieldCodes(const QStringList& arguments, const QString& desktopFile,
                             const QString& name, const QString& icon) {
    QStringList expanded;
    for (const QString& argument : arguments) {
        if (argument == "%i") {
            if (!icon.isEmpty())
                expanded << "--icon" << icon;
            continue;
        }
        QString text;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] != '%' || i + 1 == argument.size()) {
                text += argument[i];
                continue;
            }
            const QChar code = argument[++i];
            if (code == '%')
                text += '%';
            else if (code == 'c')
                text += name;
            else if (code == 'k')
                text += desktopFile;
        }
        if (!text.isEmpty() || argument.isEmpty())
            expanded << text;
    }
    return expanded;
}

} // namespace

QString CutAtPlaceholder(const QString& command) {
    for (qsizetype i = 0; i + 1 < command.size(); ++i) {
        if (command[i] != '%')
            continue;
        if (command[i + 1] == '%') {
            ++i;
            continue;
        }
        if (!IsPlaceholderLetter(command[i + 1]))
            continue;
        const bool quoted =
            i > 0 && command[i - 1] == '"' && i + 2 < command.size() && command[i + 2] == '"';
        return command.left(quoted ? i - 1 : i);
    }
    return command;
}

bool SplitExecLine(const QString& command, QStringList* arguments) {
    arguments->clear();
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted) {
            if (c == '\\' && i + 1 < command.size())
                current += command[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inArgument)
                *arguments << current;
            current.clear();
            inArgument = false;
        } else {
            inArgument = true;
            if (c == '"')
                quoted = true;
            else
                current += c;
        }
    }
    if (quoted)
        return false;
    if (inArgument)
        *arguments << current;
    return true;
}

QString UnescapeValue(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == 's')
            text += ' ';
        else if (next == 'n')
            text += '\n';
        else if (next == 't')
            text += '\t';
        else if (next == 'r')
            text += '\r';
        else if (next == '\\')
            text += '\\';
        else
            text += QString('\\') + next; // left for the Exec quoting rules
    }
    return text;
}

QStringList HandlerCommand(const QString& exec, const QString& address, const QString& desktopFile,
                           const QString& name, const QString& icon) {
    QStringList arguments;
    if (!SplitExecLine(CutAtPlaceholder(exec), &arguments))
        return {};
    arguments = ExpandFieldCodes(arguments, desktopFile, name, icon);
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return {};
    arguments << address;
    return arguments;
}

QStringList ApplicationFolders() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + "/.local/share";
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = "/usr/local/share:/usr/share";
    QStringList folders{home};
    folders += dirs.split(':', Qt::SkipEmptyParts);
    for (QString& folder : folders)
        folder = QDir::cleanPath(folder) + "/applications";
    return folders;
}

} // namespace WebAddress

namespace {

using namespace WebAddress;

// What the default handler's desktop file says.
struct HandlerEntry {
    QString path;
    QString exec;
    QString name;
    QString icon;
};

// The desktop file id of the default handler of web pages, as xdg-mime
// names it (run without a shell); empty when there is none.
QString DefaultHandlerId() {
    QProcess query;
    query.start("xdg-mime", {"query", "default", "text/html"});
    if (!query.waitForStarted(5000))
        return {};
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString id =
        QString::fromUtf8(query.readAllStandardOutput()).section('\n', 0, 0).trimmed();
    // A desktop file id is a file name; anything else is not looked for.
    if (!id.endsWith(".desktop") || id.contains('/') || id.startsWith('.'))
        return {};
    return id;
}

// The desktop file of `id`: the first in the application folders, where a
// "-" in the id may also stand for a sub-folder (kde4-browser.desktop in
// kde4/browser.desktop).
QString FindDesktopFile(const QString& id) {
    for (const QString& folder : ApplicationFolders()) {
        if (QFileInfo(folder + "/" + id).isFile())
            return folder + "/" + id;
        for (qsizetype dash = id.indexOf('-'); dash > 0; dash = id.indexOf('-', dash + 1)) {
            const QString nested = folder + "/" + id.left(dash) + "/" + id.mid(dash + 1);
            if (QFileInfo(nested).isFile())
                return nested;
        }
    }
    return {};
}

// Reads the keys of the [Desktop Entry] group that the command needs.
bool ReadDesktopFile(const QString& path, HandlerEntry* entry) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    entry->path = path;
    bool inEntry = false;
    bool hasExec = false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inEntry || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = UnescapeValue(line.mid(equals + 1).trimmed());
        if (key == "Exec" && !hasExec) {
            entry->exec = value;
            hasExec = true;
        } else if (key == "Name" && entry->name.isEmpty()) {
            entry->name = value;
        } else if (key == "Icon" && entry->icon.isEmpty()) {
            entry->icon = value;
        }
    }
    return hasExec;
}

// The program file to start: a name with a "/" is that file, any other name
// is looked for in $PATH. 0 when found and executable, else the error code.
int ResolveProgram(const QString& program, QString* path) {
    auto check = [path](const QString& candidate) {
        const QFileInfo info(candidate);
        if (!info.exists())
            return SE_ERR_FNF;
        if (!info.isFile() || !info.isExecutable())
            return SE_ERR_ACCESSDENIED;
        *path = info.absoluteFilePath();
        return 0;
    };
    if (program.contains('/'))
        return check(program);
    int result = SE_ERR_FNF;
    for (const QString& folder : qEnvironmentVariable("PATH").split(':', Qt::SkipEmptyParts)) {
        const int found = check(folder + "/" + program);
        if (found == 0)
            return 0;
        if (found == SE_ERR_ACCESSDENIED)
            result = SE_ERR_ACCESSDENIED;
    }
    return result;
}

// Starts the handler's command line for `address`, detached, without a shell.
int StartHandler(const HandlerEntry& entry, const QString& address) {
    QStringList arguments = HandlerCommand(entry.exec, address, entry.path, entry.name, entry.icon);
    if (arguments.isEmpty())
        return SE_ERR_ASSOCINCOMPLETE;
    QString program;
    if (const int error = ResolveProgram(arguments.takeFirst(), &program))
        return error;
    if (!QProcess::startDetached(program, arguments))
        return ERROR_BAD_FORMAT;
    return kOpenSucceeded;
}

} // namespace

int OpenWebAddress(const QString& address, int /*showCommand*/) {
    if (OpenAddress(address))
        return kOpenSucceeded;
    // The desktop cannot say why it failed: as the shell's, its result is
    // "no program is associated", reported if no handler can be read either.
    const int result = SE_ERR_NOASSOC;
    const QString id = DefaultHandlerId();
    if (id.isEmpty())
        return result;
    const QString path = FindDesktopFile(id);
    HandlerEntry entry;
    if (path.isEmpty() || !ReadDesktopFile(path, &entry))
        return result;
    return StartHandler(entry, address);
}

QString OpenErrorText(int code) {
    switch (code) {
    case 0:
        return "The operating system is out\nof memory or resources.";
    case 2:
        return "The specified file was not found.";
    case 3:
        return "The specified path was not found.";
    case 5:
        return "The operating system denied\naccess to the specified file.";
    case 8:
        return "There was not enough memory to complete the operation.";
    case 11:
        return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:
        return "A sharing violation occurred. ";
    case 27:
        return "The filename association is\nincomplete or invalid.";
    case 28:
        return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29:
        return "The DDE transaction failed.";
    case 30:
        return "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
               "being processed.";
    case 31:
        return "There is no application associated\nwith the given filename extension.";
    case 32:
        return "The specified dynamic-link library was not found.";
    default:
        return QString("Unknown Error (%1) occurred.").arg(code);
    }
}

void ReportOpenError(int code, QWidget* owner) {
    ShowMessage("Unable to open hyperlink:\n\n" + OpenErrorText(code), QString(),
                MB_OK | MB_ICONEXCLAMATION, owner);
}
