#include "SplashWindow.h"

#include "Bitmaps.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

CSplashWindow* CSplashWindow::s_pSplash = nullptr;
bool CSplashWindow::s_bSplashEnabled = false;

// A window of its own (a splash, so no task-bar entry), without caption or
// border, owned by `owner`. It never takes the focus from the main window.
CSplashWindow::CSplashWindow(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("splash");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CSplashWindow::OnTimer);
}

CSplashWindow::~CSplashWindow() {
    if (s_pSplash == this)
        s_pSplash = nullptr;
}

void CSplashWindow::Enable(bool enable) {
    s_bSplashEnabled = enable;
}

void CSplashWindow::Show(QWidget* owner, int bitmapId) {
    if (!s_bSplashEnabled || s_pSplash)
        return;
    s_pSplash = new CSplashWindow(owner);
    if (!s_pSplash->CreateSplash(owner, bitmapId)) {
        delete s_pSplash; // its destructor sets s_pSplash back to null
        return;
    }
    s_pSplash->repaint();
}

bool CSplashWindow::CreateSplash(QWidget* owner, int bitmapId) {
    m_bitmap = LoadBitmap(bitmapId);
    if (m_bitmap.isNull())
        return false;
    setFixedSize(m_bitmap.deviceIndependentSize().toSize());
    move(0, 0);
    // The owner's window must exist for the splash to be owned by it (a
    // transient window of the main window's), though it is not shown yet.
    if (owner)
        owner->window()->winId();
    create();
    if (!windowHandle() || !OnCreate())
        return false;
    show();
    return isVisible();
}

// The main window is not visible yet, so the splash is centred on the screen,
// the one the main window will be centred on.
bool CSplashWindow::OnCreate() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    if (QWidget* owner = parentWidget())
        owner->installEventFilter(this);
    m_timer.start(kIntervalMs);
    return true;
}

void CSplashWindow::OnTimer() {
    Dismiss();
}

void CSplashWindow::Dismiss() {
    m_timer.stop();
    hide();
    if (s_pSplash == this)
        s_pSplash = nullptr;
    if (QWidget* owner = parentWidget()) {
        owner->removeEventFilter(this);
        owner->repaint();
    }
    deleteLater();
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!painter.isActive())
        return;
    painter.drawPixmap(0, 0, m_bitmap);
}

// Only the timer ends the splash; a window manager's close request does not.
void CSplashWindow::closeEvent(QCloseEvent* event) {
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

// The main window is shown while the splash is up: the splash goes back on top
// once the main window is on screen, even where no window manager keeps an
// owned window above its owner.
bool CSplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Show)
        QMetaObject::invokeMethod(this, &QWidget::raise, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}
