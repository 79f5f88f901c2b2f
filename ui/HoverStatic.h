// A skinned picture button: shows its bitmap, a highlighted bitmap while the
// pointer is over it, the hand cursor, and reports a press as its command.
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

    // The normal and hover bitmaps of a control id; 0 where it has none.
    static int NormalBitmapOf(int controlId);
    static int HoverBitmapOf(int controlId);

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
