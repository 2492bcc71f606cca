#include "platform/gui/WindowKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace platform {

namespace {

bool isReturn(const QKeyEvent &key)
{
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// A dialog presses its own default button; any other window (the main window, the setup
// assistant) has Qt do nothing with one, so the window's visible, enabled default button is
// pressed here.
bool pressDefaultButton(QWidget *window)
{
    if (window->inherits("QDialog"))
        return false;
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->isDefault() && button->isVisible() && button->isEnabled() && button->window() == window) {
            button->click();
            return true;
        }
    }
    return false;
}

// A window manager hands the keyboard to another window when the active one closes; without
// one, the keyboard would go nowhere and the menu keys (Ctrl+Q, Ctrl+,) would wait for a click.
// So when one of our windows goes away and none of ours is active, the window it belonged to
// (else any main window of ours that is up) gets the keyboard.
void returnFocusAfter(QWidget *closed, const QWidget *lastActive)
{
    // Only the window that had the keyboard last leaves it nowhere.
    if (!closed->isWindow() || closed != lastActive)
        return;
    const Qt::WindowType type = closed->windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Sheet)
        return;
    // Chosen now: a window that goes away with this one (the whole interface closing) is
    // not brought back.
    QWidget *owner = closed->parentWidget() ? closed->parentWidget()->window() : nullptr;
    QPointer<QWidget> next = owner && owner->isVisible() ? owner : nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!next && window != closed && window->isVisible() && qobject_cast<QMainWindow *>(window))
            next = window;
    }
    if (!next)
        return;
    QTimer::singleShot(0, next, [next] {
        if (!QApplication::activeWindow() && next->isVisible())
            next->activateWindow();
    });
}

class WindowKeyFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowActivate && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow())
            m_lastActive = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Hide && watched->isWidgetType())
            returnFocusAfter(static_cast<QWidget *>(watched), m_lastActive);
        // A key press reaches the focus widget first and then climbs its parents: act once,
        // where it is first delivered.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget != QApplication::focusWidget() && widget != widget->window())
            return false;
        // Return reaching the window itself went past every control that could take it (a
        // text field, a button of its own): it presses the window's default button.
        const auto *key = static_cast<QKeyEvent *>(event);
        QWidget *window = widget->window();
        if (isReturn(*key))
            return widget == window && pressDefaultButton(window);
        if (window->windowType() == Qt::Popup) // a menu or a list that drops down closes itself
            return false;
        // An attached window stands for the window it belongs to.
        if (window->windowType() == Qt::Tool && window->parentWidget())
            window = window->parentWidget()->window();
        const bool close = key->matches(QKeySequence::Close);
        // Escape closes what it closes here: not a main window, and a dialog by itself (its
        // cancel or reject).
        const bool escape = key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier
            && !qobject_cast<QMainWindow *>(window) && !window->inherits("QDialog");
        if (!close && !escape)
            return false;
        window->close();
        return true;
    }

private:
    QPointer<QWidget> m_lastActive;
};

} // namespace

void WindowKeys::install()
{
    static QPointer<WindowKeyFilter> filter;
    if (!qApp || filter)
        return;
    filter = new WindowKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace platform
