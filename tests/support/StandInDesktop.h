// A desktop for tests of opening web addresses, in a temporary folder: a test
// PATH holding recording programs (xdg-open, browsers) and an xdg-mime that
// names the default handler of web pages, and test XDG data folders holding
// desktop files. The environment is restored when the object goes.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <vector>

class StandInDesktop {
public:
    // PATH holds only the test's programs.
    StandInDesktop();
    ~StandInDesktop();
    StandInDesktop(const StandInDesktop&) = delete;
    StandInDesktop& operator=(const StandInDesktop&) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    QString Bin() const { return m_dir.filePath("bin"); }
    QString Applications() const { return m_dir.filePath("data/applications"); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // A program `name` in the test PATH that records its own path and its
    // arguments, one a line.
    void AddRecorder(const QString& name);
    // What the recorder `name` was started with (its path first), once it
    // has run; waits up to `timeoutMs` and answers nullopt if it never ran.
    std::optional<QStringList> WaitForRecord(const QString& name, int timeoutMs = 5000) const;

    // An xdg-mime that answers `handler` to any query (and records the query
    // as the recorder "xdg-mime" does).
    void SetDefaultHandler(const QString& handler);
    // Writes applications/`id` in the test data folder.
    void AddDesktopFile(const QString& id, const QByteArray& contents);

private:
    struct Saved {
        QByteArray name;
        std::optional<QByteArray> value;
    };
    QTemporaryDir m_dir;
    std::vector<Saved> m_saved;
};
