#pragma once

#include <QWidget>

// A clear window for the animations: always without a frame, whatever style it is asked
// for, transparent where nothing is drawn, and letting every mouse event through to what
// lies below.
class QZShredAnimationWindow : public QWidget
{
    Q_OBJECT
public:
    explicit QZShredAnimationWindow(const QRect &contentRect = {}, Qt::WindowFlags style = Qt::Window,
                                    QWidget *parent = nullptr);
};
