#pragma once

#include <QObject>

#include <atomic>

// The shredder animation of a cleaning run. For now it only keeps the state the results
// controller drives (a paper stage requested, the run's end, the strips stopped); the
// drawing comes later behind the same calls.
class QZShredderAnimator : public QObject
{
    Q_OBJECT
public:
    explicit QZShredderAnimator(QObject *parent = nullptr);

    void awakeFromNib();
    // Starts one cycle: the paper stage. Any thread.
    void startPaperAnimation();
    // The run has ended: no further strips stage.
    void setAnimationDone();
    // Ends the strips stage; nothing when none is shown.
    void _stop();

    bool animationIsDone() const { return m_animationIsDone; }
    // Paper stages asked for so far.
    int paperAnimationRequests() const { return m_paperRequests; }

private:
    std::atomic<bool> m_animationIsDone{false};
    std::atomic<int> m_paperRequests{0};
};
