#pragma once

#include "platform/gui/Layer.h"
#include "platform/system/Timer.h"
#include "ui/animation/QZShredAnimationWindow.h"
#include "ui/animation/QZShredderSlitView.h"
#include "ui/animation/QZStripsView.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>

#include <atomic>

namespace platform {
class BasicAnimation;
}

// The shredder at work during a cleaning run, one cycle at a time: a sheet of paper sinks
// into the slot (the paper stage), then strips fall out below the main window for a few
// seconds with the slot's light on and, when sound effects are on, the shredding sound (the
// strips stage). The end of every strips stage is announced with
// "ShredAnimationEndedNotification"; the results controller then asks for the next cycle.
class QZShredderAnimator : public QObject
{
    Q_OBJECT
public:
    explicit QZShredderAnimator(QObject *parent = nullptr);
    ~QZShredderAnimator() override;

    // Outlets.
    QZShredAnimationWindow *tearsAnimationWindow() const { return m_tearsAnimationWindow; }
    void setTearsAnimationWindow(QZShredAnimationWindow *window) { m_tearsAnimationWindow = window; }
    QWidget *mainWindow() const { return m_mainWindow; }
    void setMainWindow(QWidget *window) { m_mainWindow = window; }
    QZStripsView *animationView() const { return m_animationView; }
    void setAnimationView(QZStripsView *view) { m_animationView = view; }
    QZShredderSlitView *slitView() const { return m_slitView; }
    void setSlitView(QZShredderSlitView *view) { m_slitView = view; }
    platform::LayerView *paperView() const { return m_paperView; }
    void setPaperView(platform::LayerView *view) { m_paperView = view; }

    void awakeFromNib();
    // Starts one cycle: the paper stage, handed to the main thread. Any thread.
    void startPaperAnimation();
    void displayPaperAnimation();
    void showConfetti();
    // Ends the strips stage; nothing (and no notice) when none is rendering.
    void _stop();
    // The run has ended: no further strips stage.
    void setAnimationDone();
    bool animationIsDone() const { return m_animationIsDone; }
    // Cycles asked for so far.
    int paperAnimationRequests() const { return m_paperRequests; }
    void animationDidStop(platform::BasicAnimation *animation, bool finished);
    void playSound();

    // Top-left corner, in screen coordinates (y down), of a strips window `tearsWidth` wide
    // for a main window whose frame is `mainFrame`: centred under the slot's point, its top
    // edge 55 points above the main window's bottom edge.
    static QPointF tearsWindowTopLeft(const QRectF &mainFrame, qreal tearsWidth);

    // How long the paper sinks and the strips fall, in seconds; tests shorten them.
    double paperDuration = 1.1;
    double stripsDuration = 4.0;

private:
    void cancelDelayedRequests();
    // Puts the paper view above the middle of the slot.
    void placePaperView();

    QPointer<QZShredAnimationWindow> m_tearsAnimationWindow;
    QPointer<QWidget> m_mainWindow;
    QPointer<QZStripsView> m_animationView;
    QPointer<QZShredderSlitView> m_slitView;
    QPointer<platform::LayerView> m_paperView;
    std::atomic<bool> m_animationIsDone{false};
    std::atomic<int> m_paperRequests{0};
    QList<QPointer<platform::Timer>> m_delayedRequests;
};
