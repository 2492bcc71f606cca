#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

// Posts keys::WindowWillStartLiveResizeNotification when the user starts dragging a window's
// size and keys::WindowDidEndLiveResizeNotification once the size has stopped changing, on the
// default centre with the window as object. Qt has no live-resize events, so a burst of
// resizes from the window system counts as one live resize.
class LiveResizeNotifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int settleMilliseconds = 300;

    // Watches `window` for as long as it lives.
    static void watch(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit LiveResizeNotifier(QWidget *window);
    void end();

    QWidget *m_window;
    QTimer m_settle;
    bool m_resizing = false;
};
