#include "HoverStaticAccessible.h"

#include "Captions.h"
#include "HoverStatic.h"

#include <QAccessibleWidget>

namespace {

class CHoverStaticAccessible : public QAccessibleWidget {
public:
    explicit CHoverStaticAccessible(CHoverStatic* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return Name();
        // The tool tip is already the name; a description repeating it would
        // be read twice.
        if (t == QAccessible::Description)
            return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = Button()->IsCheckable();
        state.checked = Button()->IsChecked();
        return state;
    }

    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    // Queued, as Qt's own push buttons press themselves later: the caller (a
    // screen reader waiting for its answer) is answered before a command that
    // opens a modal window starts that window's loop.
    void doAction(const QString& actionName) override {
        if (actionName == pressAction())
            QMetaObject::invokeMethod(Button(), &CHoverStatic::Press, Qt::QueuedConnection);
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    CHoverStatic* Button() const { return static_cast<CHoverStatic*>(widget()); }

    QString Name() const {
        if (!widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        if (!widget()->toolTip().isEmpty())
            return widget()->toolTip();
        return QString::fromUtf8(ButtonCaptionOf(Button()->Id()));
    }
};

QAccessibleInterface* HoverStaticFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("CHoverStatic") && object && object->isWidgetType())
        return new CHoverStaticAccessible(static_cast<CHoverStatic*>(object));
    return nullptr;
}

} // namespace

void InstallHoverStaticAccessibility() {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(HoverStaticFactory);
        return true;
    }();
}
