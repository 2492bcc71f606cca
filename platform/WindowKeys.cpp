#include "platform/WindowKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>

namespace platform {

namespace {

class WindowKeyFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A key press reaches the focus widget first and then climbs its parents: act once,
        // where it is first delivered.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget != QApplication::focusWidget() && widget != widget->window())
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        QWidget *window = widget->window();
        if (window->windowType() == Qt::Popup) // a menu or a list that drops down closes itself
            return false;
        const bool close = key->matches(QKeySequence::Close);
        const bool escape = key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier
                            && !qobject_cast<QMainWindow *>(window);
        if (!close && !escape)
            return false;
        // Escape in a dialog is the dialog's own (its cancel or reject).
        if (escape && window->inherits("QDialog"))
            return false;
        // An attached window closes the window it belongs to.
        if (window->windowType() == Qt::Tool && window->parentWidget())
            window = window->parentWidget()->window();
        window->close();
        return true;
    }
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
