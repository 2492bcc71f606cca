#include "ui/main/AppController.h"

#include "core/Keys.h"
#include "platform/gui/ChildWindows.h"
#include "platform/system/Timer.h"
#include "ui/main/MainWindow.h"

#include <QApplication>

#include <utility>

using namespace Qt::StringLiterals;

// The tips are child windows of the main window: they are taken down while it is resized or
// zoomed and shown again once it settles.

bool AppController::isMainWindowKey() const
{
    if (!m_mainWindow)
        return false;
    // A tip can take the keyboard (a click on it); it is still the main window's.
    const QWidget *active = QApplication::activeWindow();
    return m_mainWindow->isActiveWindow()
        || (active && platform::ChildWindows::childWindows(m_mainWindow).contains(active));
}

bool AppController::showsMainView() const
{
    return m_mainWindow && m_mainView && m_mainWindow->contentView() == m_mainView;
}

bool AppController::showsResultsView() const
{
    return m_mainWindow && m_resultsView && m_mainWindow->contentView() == m_resultsView;
}

bool AppController::windowShouldZoom()
{
    if (!m_mainWindow || !m_mainWindow->hasChildWindows())
        return true;
    m_zoomInProgress = true;
    sendStartResize();
    if (!m_mainWindow->isZoomed())
        platform::Timer::scheduledTimer(0.05, this, [this] { tipZoomTimerFire(); });
    else
        platform::Timer::scheduledTimer(0.15, this, [this] { tipUnZoomTimerFire(); });
    return true;
}

void AppController::tipUnZoomTimerFire()
{
    sendEndResize();
    m_isZoomed = false;
    m_zoomInProgress = false;
}

void AppController::tipZoomTimerFire()
{
    sendEndZoomResize();
    m_isZoomed = true;
    m_zoomInProgress = false;
}

void AppController::resultsTipTimerFire()
{
    post(keys::ResultsTips);
}

void AppController::startResizeCheck()
{
    if (m_zoomInProgress)
        return;
    const bool hadTips = m_mainWindow && m_mainWindow->hasChildWindows();
    sendStartResize();
    m_liveResizeHidTips = m_liveResizeHidTips || (hadTips && !m_mainWindow->hasChildWindows());
}

void AppController::endResizeCheck()
{
    if (m_zoomInProgress)
        return;
    // Tips this resize took down come back however it ends: a window manager that holds the
    // keyboard while the user pauses before letting go leaves the window without the keyboard
    // just then.
    const bool hidTips = std::exchange(m_liveResizeHidTips, false);
    const bool keep = m_prefsTipToggle;
    m_prefsTipToggle = keep || hidTips;
    sendEndResize();
    m_prefsTipToggle = keep;
}

void AppController::sendStartResize()
{
    if (!isMainWindowKey() && !m_prefsTipToggle)
        return;
    if (!m_mainWindow || !m_mainWindow->hasChildWindows() || !m_setupComplete)
        return;
    if (showsMainView())
        post(keys::MainTipsEnd);
    else if (showsResultsView())
        post(keys::ResultsTipsEnd);
}

void AppController::sendEndResize()
{
    if (m_switchingView || !m_setupComplete || (!isMainWindowKey() && !m_prefsTipToggle))
        return;
    if (showsMainView())
        post(keys::MainTips);
    else if (showsResultsView())
        post(keys::ResultsTips);
}

void AppController::sendEndZoomResize()
{
    if (m_switchingView || !m_setupComplete || (!isMainWindowKey() && !m_prefsTipToggle))
        return;
    if (showsMainView())
        post(keys::MainTipsZoom);
    else if (showsResultsView())
        post(keys::ResultsTipsZoom);
}

void AppController::tipsOn()
{
    m_prefsTipToggle = true;
    if (m_isZoomed)
        sendEndZoomResize();
    else
        sendEndResize();
    m_prefsTipToggle = false;
}

void AppController::tipsOff()
{
    m_prefsTipToggle = true;
    sendStartResize();
    m_prefsTipToggle = false;
}
