// The dialog model every window of Brindle follows: controls are built by the
// constructor (the template), OnInitDialog initialises them once, and DoModal
// runs the dialog and answers IDOK or IDCANCEL. Enter calls OnOK, Esc and the
// window's close call OnCancel, so a dialog decides what each one means.
#pragma once

#include <QDialog>

class CDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDialog(QWidget* parent = nullptr);

    // Initialises the dialog (once) and runs it modally; IDOK or IDCANCEL. A dialog
    // that OnInitDialog already ended is never shown.
    int DoModal();
    // Initialises the dialog (once) without running it, so it can be shown.
    bool Create();

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }
    void done(int result) override;

protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { done(Accepted); }
    virtual void OnCancel() { done(Rejected); }

    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_bInitialized = false;
    bool m_bInitResult = false;
    bool m_bEnded = false; // done() ran since DoModal began
};
