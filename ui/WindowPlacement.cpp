#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

void centre(QWidget *window)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!window || !screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void showCentred(QWidget *window)
{
    if (!window)
        return;
    centre(window);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace WindowPlacement
