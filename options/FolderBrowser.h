// Choosing a folder: CFolderBrowser holds the request (owner, root, title,
// flags) and the result, runs the folder picker and turns its notices into
// two hooks; CInitFolderBrowser opens the picker at a given folder and shows
// the selected folder's path in the status line.
#pragma once

#include <QPointer>
#include <QString>

class FolderPickerWindow;
class QWidget;

// Flags of the request.
constexpr quint32 BIF_RETURNONLYFSDIRS = 0x0001;
constexpr quint32 BIF_STATUSTEXT = 0x0004;

class CFolderBrowser {
public:
    virtual ~CFolderBrowser() = 0;

    // The request can be changed only while no picker is open.
    void SetOwner(QWidget* owner);
    void SetRoot(const QString& root); // empty: the whole file system
    void SetFlags(quint32 flags);
    void SetTitle(const QString& title);
    bool SetTitle(int stringId); // false for an id without a string

    // Runs the picker modally; true when a folder was chosen.
    bool Browse();
    const QString& GetFolderPath() const { return m_strFolderPath; }

    // Only while the picker is open.
    void SetSelection(const QString& path);
    void SetStatusText(const QString& text);

    bool IsOpen() const { return m_pWindow != nullptr; }
    QWidget* Owner() const { return m_pOwner; }
    const QString& Root() const { return m_strRoot; }
    quint32 Flags() const { return m_nFlags; }
    const QString& Title() const { return m_strTitle; }

protected:
    CFolderBrowser(QWidget* owner, const QString& root, int titleId);

    virtual void OnInitialized() {}
    // `item` is the selected entry; it may not name a folder of the file system.
    virtual void OnSelChanged(const QString& item) { Q_UNUSED(item); }

private:
    QPointer<QWidget> m_pOwner;
    QString m_strRoot;
    QString m_strTitle;
    quint32 m_nFlags = 0;
    QString m_strFolderPath;
    FolderPickerWindow* m_pWindow = nullptr; // set only while the picker is open
};

class CInitFolderBrowser : public CFolderBrowser {
public:
    CInitFolderBrowser(QWidget* owner, int titleId);

    void SetInitialFolder(const QString& folder) { m_strInitialFolder = folder; }

protected:
    void OnInitialized() override;
    void OnSelChanged(const QString& item) override;

private:
    QString m_strInitialFolder;
};

// The file-system path of a picker's entry, or empty when it names no folder.
QString FolderPathOf(const QString& item);
