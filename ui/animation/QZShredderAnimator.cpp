#include "ui/animation/QZShredderAnimator.h"

#include "core/Keys.h"
#include "core/Settings.h"
#include "platform/gui/BasicAnimation.h"
#include "platform/gui/ChildWindows.h"
#include "platform/gui/Layer.h"
#include "platform/gui/Sound.h"
#include "platform/system/Bundle.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "ui/animation/QZShredAnimationWindow.h"
#include "ui/animation/QZShredderSlitView.h"
#include "ui/animation/QZStripsView.h"

#include <QImageReader>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {
constexpr qreal kPaperWidth = 108;
constexpr qreal kPaperHeight = 126;

// The first picture of the sheet's resource; none when it is missing or unreadable.
QImage paperImage()
{
    const QString path = platform::Bundle::mainBundle().pathForResource(u"dragimage"_s, u"png"_s);
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    return reader.read();
}
} // namespace

QZShredderAnimator::QZShredderAnimator(QObject *parent)
    : QObject(parent)
{}

QZShredderAnimator::~QZShredderAnimator()
{
    cancelDelayedRequests();
}

void QZShredderAnimator::awakeFromNib()
{
    if (m_animationView) {
        m_animationView->setEraseColor(Qt::transparent);
        m_animationView->loadComposition(u"shred"_s);
    }
    m_animationIsDone = false;
}

void QZShredderAnimator::startPaperAnimation()
{
    ++m_paperRequests;
    platform::MainThread::dispatch([guard = QPointer<QZShredderAnimator>(this)] {
        if (guard)
            guard->displayPaperAnimation();
    });
}

void QZShredderAnimator::displayPaperAnimation()
{
    if (!m_paperView)
        return;
    placePaperView();
    auto paper = std::make_shared<platform::Layer>();
    paper->setContents(paperImage());
    const QRectF full(0, 0, kPaperWidth, kPaperHeight);
    paper->setBounds(full);
    paper->setAnchorPoint({0, 0});
    paper->setPosition({0, 0});
    paper->setContentsGravity(platform::Layer::ContentsGravity::Top);
    m_paperView->layer()->addSublayer(paper);

    auto *sink = new platform::BasicAnimation(u"bounds"_s);
    sink->setDuration(paperDuration);
    sink->setFromValue(full);
    sink->setToValue(QRectF(0, 0, kPaperWidth, 0));
    sink->setFillMode(platform::BasicAnimation::FillMode::Forwards);
    sink->setRemovedOnCompletion(false);
    sink->setDelegate([guard = QPointer<QZShredderAnimator>(this)](platform::BasicAnimation *animation, bool finished) {
        if (guard)
            guard->animationDidStop(animation, finished);
    });
    paper->addAnimation(sink, u"bounds"_s);
}

void QZShredderAnimator::animationDidStop(platform::BasicAnimation *, bool)
{
    if (m_paperView)
        m_paperView->layer()->removeAllSublayers();
    if (!m_animationIsDone)
        showConfetti();
}

QPointF QZShredderAnimator::tearsWindowTopLeft(const QRectF &mainFrame, qreal tearsWidth)
{
    const qreal x = mainFrame.x() + (mainFrame.width() - 65) * 0.5 + 55;
    // The window's bottom edge is the slot's line; 55 points up from it is the top edge.
    return {x - tearsWidth * 0.5, mainFrame.y() + mainFrame.height() - 55};
}

void QZShredderAnimator::showConfetti()
{
    if (m_tearsAnimationWindow && m_mainWindow) {
        QZShredAnimationWindow *window = m_tearsAnimationWindow;
        const QPointF topLeft = tearsWindowTopLeft(m_mainWindow->frameGeometry(), window->frameGeometry().width());
        // Attached to the main window, so it stays above it and goes with it.
        if (window->parentWidget() != m_mainWindow)
            window->setParent(m_mainWindow, window->windowFlags());
        window->move(topLeft.toPoint());
        window->show();
        window->raise();
        // The tips of the main window (the Clean button's cancel tip) stay readable above it.
        for (QWidget *tip : platform::ChildWindows::childWindows(m_mainWindow))
            tip->raise();
    }
    if (m_slitView)
        m_slitView->setIsShredding(true);
    if (Settings::boolValue(Settings::Key::EnableSFX))
        playSound();
    if (m_animationView)
        m_animationView->startRendering();
    cancelDelayedRequests();
    m_delayedRequests.append(platform::Timer::scheduledTimer(stripsDuration, this, [this] { _stop(); }));
}

void QZShredderAnimator::_stop()
{
    if (!m_animationView || !m_animationView->isRendering())
        return;
    m_animationView->pauseRendering();
    if (m_slitView)
        m_slitView->setIsShredding(false);
    if (m_tearsAnimationWindow) {
        m_tearsAnimationWindow->hide();
        m_tearsAnimationWindow->setParent(nullptr, m_tearsAnimationWindow->windowFlags());
    }
    platform::NotificationCenter::defaultCenter().post(keys::ShredAnimationEndedNotification, this);
}

void QZShredderAnimator::setAnimationDone()
{
    m_animationIsDone = true;
}

void QZShredderAnimator::playSound()
{
    platform::Sound::play(u"shredding-short"_s);
}

void QZShredderAnimator::cancelDelayedRequests()
{
    for (const QPointer<platform::Timer> &timer : std::as_const(m_delayedRequests))
        if (timer)
            timer->invalidate();
    m_delayedRequests.clear();
}

void QZShredderAnimator::placePaperView()
{
    if (!m_slitView || !m_paperView || !m_paperView->parentWidget())
        return;
    // The sheet's bottom edge rests on the slot, centred on the point the strips fall from.
    const qreal slotCentre = (m_slitView->width() - 65) * 0.5 + 55;
    const QPoint slotTop =
        m_slitView->mapTo(m_paperView->parentWidget(), QPoint(int(slotCentre), m_slitView->height() - 13));
    m_paperView->setGeometry(int(slotTop.x() - kPaperWidth / 2), int(slotTop.y() - kPaperHeight), int(kPaperWidth),
                             int(kPaperHeight));
    m_paperView->raise();
}
