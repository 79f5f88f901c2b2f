// A skinned picture button: shows its bitmap, a highlighted bitmap while the
// pointer is over it, the hand cursor, and reports a press as its command. To
// assistive technology it is a push button (see HoverStaticAccessible.h).
#pragma once

#include <QLabel>

class CHoverStatic : public QLabel {
    Q_OBJECT
public:
    explicit CHoverStatic(QWidget* parent = nullptr);

    // Binds the control to its dialog id and shows the id's normal bitmap.
    void Bind(int controlId, int initialBitmap);
    // Shows bitmap `bitmapId` (the command handlers use it to put the normal picture back).
    void SetBitmap(int bitmapId);
    // Puts the control's normal picture back, where it has one.
    void ShowNormalBitmap();
    int CurrentBitmap() const { return m_nBitmap; }
    bool IsHovering() const { return m_bHover != 0; }
    int Id() const { return m_nId; }

    // Reports the control's command, as a press of the left button does.
    void Press();
    // The direction buttons are checked while they show their chosen picture.
    bool IsCheckable() const { return CheckedBitmapOf(m_nId) != 0; }
    bool IsChecked() const { return IsCheckable() && m_nBitmap == CheckedBitmapOf(m_nId); }

    // The normal and hover bitmaps of a control id; 0 where it has none.
    static int NormalBitmapOf(int controlId);
    static int HoverBitmapOf(int controlId);
    // The picture of a direction button whose direction is chosen; 0 for the others.
    static int CheckedBitmapOf(int controlId);

signals:
    void Clicked(int controlId);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_bHover = 0;
    int m_nId = -1;
    int m_nBitmap = 0;
};
