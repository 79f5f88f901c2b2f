#include "StandInDesktop.h"

#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QByteArray ShellQuoted(const QString& text) {
    QByteArray bytes = QFile::encodeName(text);
    bytes.replace('\'', "'\\''");
    return "'" + bytes + "'";
}

bool WriteScript(const QString& path, const QByteArray& body) {
    return WriteBytes(path, "#!/bin/sh\n" + body) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Records "$0" and every argument, one a line, into `record`, and moves the
// whole record into place at once.
QByteArray RecordingBody(const QString& record) {
    const QByteArray out = ShellQuoted(record);
    return "for a in \"$0\" \"$@\"; do printf '%s\\n' \"$a\"; done > " + out + ".part && " +
           "/bin/mv " + out + ".part " + out + "\n";
}

} // namespace

StandInDesktop::StandInDesktop() {
    QDir(m_dir.path()).mkpath("bin");
    QDir(m_dir.path()).mkpath("data/applications");
    QDir(m_dir.path()).mkpath("home");
    QDir(m_dir.path()).mkpath("records");
    const std::pair<QByteArray, QString> settings[] = {
        {"PATH", Bin()},
        {"XDG_DATA_DIRS", m_dir.filePath("data")},
        {"XDG_DATA_HOME", m_dir.filePath("home")},
    };
    for (const auto& [name, value] : settings) {
        Saved saved{name, std::nullopt};
        if (qEnvironmentVariableIsSet(name.constData()))
            saved.value = qgetenv(name.constData());
        m_saved.push_back(saved);
        qputenv(name.constData(), QFile::encodeName(value));
    }
}

StandInDesktop::~StandInDesktop() {
    for (const Saved& saved : m_saved) {
        if (saved.value)
            qputenv(saved.name.constData(), *saved.value);
        else
            qunsetenv(saved.name.constData());
    }
}

void StandInDesktop::AddRecorder(const QString& name) {
    WriteScript(Bin() + "/" + name, RecordingBody(m_dir.filePath("records/" + name)));
}

std::optional<QStringList> StandInDesktop::WaitForRecord(const QString& name, int timeoutMs) const {
    const QString record = m_dir.filePath("records/" + name);
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(record); }, timeoutMs))
        return std::nullopt;
    QString text = QString::fromLocal8Bit(ReadAll(record));
    if (text.endsWith('\n'))
        text.chop(1);
    return text.split('\n');
}

void StandInDesktop::SetDefaultHandler(const QString& handler) {
    const QString record = m_dir.filePath("records/xdg-mime");
    WriteScript(Bin() + "/xdg-mime",
                RecordingBody(record) + "printf '%s\\n' " + ShellQuoted(handler) + "\n");
}

void StandInDesktop::AddDesktopFile(const QString& id, const QByteArray& contents) {
    WriteBytes(Applications() + "/" + id, contents);
}
