// A text label painted in colours of its own, text and background.
#pragma once

#include <QColor>
#include <QLabel>

// A colour of -1 (all bits set) stands for the system default.
constexpr unsigned kDefaultColor = 0xFFFFFFFFu;

class CColorLabel : public QLabel {
    Q_OBJECT
public:
    explicit CColorLabel(QWidget* parent = nullptr);

    // Text colour; kDefaultColor gives the system's button text colour.
    void SetForeColor(unsigned rgb);
    // Background colour; kDefaultColor gives the system's button face colour.
    void SetBackColor(unsigned rgb);

    QColor ForeColor() const { return m_crText; }
    QColor BackColor() const { return m_crBack; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_crText;
    QColor m_crBack;
};

// Packs a colour as RGB(r, g, b), red in the low byte.
constexpr unsigned RGB(int r, int g, int b) {
    return unsigned(r) | unsigned(g) << 8 | unsigned(b) << 16;
}
