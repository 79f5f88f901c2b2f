// A push button drawn as a flat grey panel with a two-tone frame and a
// centred caption; pressed, a plain dark panel.
#pragma once

#include <QColor>
#include <QPushButton>

class CFlatButton : public QPushButton {
    Q_OBJECT
public:
    explicit CFlatButton(QWidget* parent = nullptr);

    // The drawn caption (not the button's own text); set before the first
    // paint. Screen readers name the button by it.
    void SetCaption(const QString& caption) {
        m_strCaption = caption;
        setAccessibleName(caption);
    }
    const QString& Caption() const { return m_strCaption; }

    static const QColor s_crPressed;
    static const QColor s_crFace;
    static const QColor s_crDark;
    static const QColor s_crLight;
    static const QColor s_crFocus;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawFrame(QPainter& painter) const;

    QString m_strCaption;
};
