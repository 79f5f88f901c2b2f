#include "HoverStatic.h"

#include "Bitmaps.h"
#include "HoverStaticAccessible.h"
#include "resource.h"

#include <QAccessible>
#include <QMouseEvent>

namespace {

struct ButtonPictures {
    int controlId;
    int normal;
    int hover;
};

// The direction buttons have no hover picture: their picture shows the
// chosen direction and only the direction commands change it.
constexpr ButtonPictures kPictures[] = {
    {IDC_MINIMIZE, IDB_MINIMIZE, IDB_MINIMIZE_HOVER},
    {IDC_MOVE_TOP, IDB_TOP, IDB_TOP_HOVER},
    {IDC_MOVE_UP, IDB_UP, IDB_UP_HOVER},
    {IDC_MOVE_DOWN, IDB_DOWN, IDB_DOWN_HOVER},
    {IDC_MOVE_BOTTOM, IDB_BOTTOM, IDB_BOTTOM_HOVER},
    {IDC_PLAY, IDB_PLAY, IDB_PLAY_HOVER},
    {IDC_CHECK_ALL, IDB_CHECKALL, IDB_CHECKALL_HOVER},
    {IDC_UNCHECK_ALL, IDB_UNCHECKALL, IDB_UNCHECKALL_HOVER},
    {IDC_REVERSE_CHECKS, IDB_REVERSE, IDB_REVERSE_HOVER},
    {IDC_ADD_FILES, IDB_ADD, IDB_ADD_HOVER},
    {IDC_CLEAR_LIST, IDB_CLEAR, IDB_CLEAR_HOVER},
    {IDC_START, IDB_START, IDB_START_HOVER},
    {IDC_OPTIONS, IDB_OPTIONS, IDB_OPTIONS_HOVER},
    {IDC_EXIT, IDB_EXIT, IDB_EXIT_HOVER},
    {IDC_HELP, IDB_HELP, IDB_HELP_HOVER},
    {IDC_WEBSITE, IDB_WEBSITE, IDB_WEBSITE_HOVER},
};

struct CheckedPicture {
    int controlId;
    int checked;
};

constexpr CheckedPicture kCheckedPictures[] = {
    {IDC_MP3TOWAVE, IDB_MP3TOWAVE_CHECKED},
    {IDC_WAVETOMP3, IDB_WAVETOMP3_CHECKED},
};

const ButtonPictures* PicturesOf(int controlId) {
    for (const ButtonPictures& pictures : kPictures)
        if (pictures.controlId == controlId)
            return &pictures;
    return nullptr;
}

} // namespace

CHoverStatic::CHoverStatic(QWidget* parent) : QLabel(parent) {
    InstallHoverStaticAccessibility();
    setCursor(LoadHandCursor());
}

int CHoverStatic::NormalBitmapOf(int controlId) {
    const ButtonPictures* pictures = PicturesOf(controlId);
    return pictures ? pictures->normal : 0;
}

int CHoverStatic::HoverBitmapOf(int controlId) {
    const ButtonPictures* pictures = PicturesOf(controlId);
    return pictures ? pictures->hover : 0;
}

int CHoverStatic::CheckedBitmapOf(int controlId) {
    for (const CheckedPicture& picture : kCheckedPictures)
        if (picture.controlId == controlId)
            return picture.checked;
    return 0;
}

void CHoverStatic::Bind(int controlId, int initialBitmap) {
    m_nId = controlId;
    setObjectName(QString::number(controlId));
    SetBitmap(initialBitmap);
}

void CHoverStatic::SetBitmap(int bitmapId) {
    const bool wasChecked = IsChecked();
    m_nBitmap = bitmapId;
    setPixmap(LoadBitmap(bitmapId));
    if (IsChecked() != wasChecked) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void CHoverStatic::ShowNormalBitmap() {
    if (const int normal = NormalBitmapOf(m_nId))
        SetBitmap(normal);
}

// The hover picture follows the pointer: on while it is over the control,
// off as soon as it leaves, so a highlight never stays behind.
void CHoverStatic::enterEvent(QEnterEvent* event) {
    m_bHover = 1;
    if (const int hover = HoverBitmapOf(m_nId))
        SetBitmap(hover);
    QLabel::enterEvent(event);
}

void CHoverStatic::leaveEvent(QEvent* event) {
    m_bHover = 0;
    ShowNormalBitmap();
    QLabel::leaveEvent(event);
}

// A press on a button is the button's: it never reaches the dialog surface,
// where it would start dragging the window.
void CHoverStatic::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        Press();
}

void CHoverStatic::Press() {
    emit Clicked(m_nId);
}

// The second press of a double click arrives as a double-click event, which a
// button ignores (as the design's dialog ignores the static control's
// double-click notification): a double click runs the command once. Qt's
// default would treat it as one more press.
void CHoverStatic::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
