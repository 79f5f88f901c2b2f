// The start-up picture: a borderless window showing bitmap 161 in the middle
// of the screen for one second while the main window initialises. It is owned
// by the main window, so it stays above it and is never a window of its own in
// the task bar. Only its timer ends it: clicks and keys do not.
#pragma once

#include "resource.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    ~CSplashWindow() override;

    // Whether Show may show a splash; start-up sets it once from the command line.
    static void Enable(bool enable);
    static bool IsEnabled() { return s_bSplashEnabled; }
    // Creates and shows the splash above `owner` if it is enabled and none
    // exists; a picture that cannot be loaded shows nothing. Tests name a
    // bitmap that does not exist to see that failure.
    static void Show(QWidget* owner, int bitmapId = IDB_SPLASH);
    // The splash that exists, or nullptr.
    static CSplashWindow* Current() { return s_pSplash; }

    // Ends the splash: its window goes, the main window is repainted at once,
    // and the object deletes itself.
    void Dismiss();

    static constexpr int kIntervalMs = 1000;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CSplashWindow(QWidget* owner);

    bool CreateSplash(QWidget* owner, int bitmapId);
    bool OnCreate();
    void OnTimer();

    QPixmap m_bitmap;
    QTimer m_timer;

    static CSplashWindow* s_pSplash;
    static bool s_bSplashEnabled;
};
