#include "ui/wizard/FirstResponder.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>

bool FirstResponder::makeWindowFirstResponder(QWidget *window)
{
    if (!window)
        return true;
    QWidget *focus = window->focusWidget();
    if (auto *field = qobject_cast<QLineEdit *>(focus); field && !field->hasAcceptableInput()) {
        QApplication::beep();
        return false;
    }
    if (focus && focus != window)
        focus->clearFocus();
    return true;
}
