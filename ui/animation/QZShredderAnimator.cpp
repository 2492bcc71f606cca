#include "ui/animation/QZShredderAnimator.h"

QZShredderAnimator::QZShredderAnimator(QObject *parent) : QObject(parent) {}

void QZShredderAnimator::awakeFromNib()
{
    m_animationIsDone = false;
}

void QZShredderAnimator::startPaperAnimation()
{
    ++m_paperRequests;
}

void QZShredderAnimator::setAnimationDone()
{
    m_animationIsDone = true;
}

void QZShredderAnimator::_stop()
{
    // No strips stage is ever shown yet, so there is nothing to end and no end notice.
}
