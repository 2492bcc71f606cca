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
