#include "ui/launch/TempCleaningPrompt.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "core/Keys.h"
#include "core/ShredController.h"
#include "core/TemporaryFolder.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/system/Image.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "ui/launch/TempCleaningPanel.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

TempCleaningPrompt::TempCleaningPrompt(const void *poster, QObject *parent)
    : QObject(parent)
    , m_poster(poster)
{
    auto &center = platform::NotificationCenter::defaultCenter();
    center.addObserver(this, keys::TempCleaningSuccessNotification,
                       [this](const platform::Notification &) { setTempCleaningSuccess(); });
    center.addObserver(this, keys::TempCleaningFailureNotification, [this](const platform::Notification &n) {
        setTempCleaningFailure(n.userInfo.value(keys::TempCleaningLeftItems).toString());
    });
    m_resultPoll.setInterval(20);
    connect(&m_resultPoll, &QTimer::timeout, this, &TempCleaningPrompt::showResult);
}

TempCleaningPrompt::~TempCleaningPrompt() = default;

void TempCleaningPrompt::setTempCleaningPanel(TempCleaningPanel *panel)
{
    if (m_panel)
        disconnect(m_panel->tempCleaningButton(), nullptr, this, nullptr);
    m_panel = panel;
    if (panel)
        connect(panel->tempCleaningButton(), &QPushButton::clicked, this, &TempCleaningPrompt::hideTempCleaningPanel);
}

LaunchChain TempCleaningPrompt::checkTempDir()
{
    if (!m_fileControl)
        return LaunchChain::Next;
    // What a secure delete cut short by a kill promised is done first, without asking.
    DatabaseController::finishPendingWipes();
    // Every folder a run may have set items aside in, on any disk; empty ones go first. A
    // folder holding only empty folders is offered too: their names are private. What an
    // earlier sweep could not remove is not offered again.
    TemporaryFolder::removeEmptyFolders();
    const QStringList leftovers = TemporaryFolder::leftovers();
    if (leftovers.isEmpty())
        return LaunchChain::Next;
    // The user is told exactly which folders a "Yes" empties.
    QStringList folders;
    for (const QString &entry : leftovers) {
        const QString folder = entry.left(entry.lastIndexOf(QLatin1Char('/')));
        if (!folders.contains(folder))
            folders.append(folder);
    }
    const int answer = platform::Alert::runAlertPanel(
        u"Temporary File Alert"_s,
        u"Temporary files exist from a previous session of Nimbrel. Would you like Nimbrel to "
        "remove these files at this time?\n\nFolders to be emptied:\n"_s
            + folders.join(QLatin1Char('\n')),
        u"Yes"_s, u"No"_s);
    if (answer == platform::Alert::AlertDefaultReturn)
        showTempCleaningPanel();
    return LaunchChain::Stop;
}

void TempCleaningPrompt::showTempCleaningPanel()
{
    if (!m_panel || !m_shredControl)
        return;
    {
        std::lock_guard lock(m_resultMutex);
        m_result.reset();
    }
    platform::Modal::beginSheet(m_panel, m_mainWindow);
    m_panel->tempCleaningStatusImage()->hide();
    m_panel->startProgress();
    m_panel->tempCleaningProgressText()->setText(u"Cleaning temporary files..."_s);
    m_panel->tempCleaningButton()->setEnabled(false);
    m_resultPoll.start();
    m_shredControl->removeTemporaryItems();
    platform::Modal::runModalForWindow(m_panel);
    m_resultPoll.stop();
    if (m_panel) {
        platform::Modal::endSheet(m_panel);
        m_panel->hide();
    }
}

void TempCleaningPrompt::hideTempCleaningPanel()
{
    if (m_panel)
        platform::Modal::endModalForWindow(m_panel);
    platform::NotificationCenter::defaultCenter().post(keys::TempCleaningFailTipEnd, m_poster);
}

void TempCleaningPrompt::setTempCleaningSuccess()
{
    receiveResult(true);
}

void TempCleaningPrompt::setTempCleaningFailure(const QString &leftItems)
{
    receiveResult(false, leftItems);
}

void TempCleaningPrompt::receiveResult(bool success, const QString &leftItems)
{
    // Handed over under our own lock; the main thread picks it up (see m_resultPoll).
    {
        std::lock_guard lock(m_resultMutex);
        m_result = success;
        m_leftItems = leftItems;
    }
    if (platform::MainThread::isMainThread())
        QMetaObject::invokeMethod(
            this, [this] { showResult(); }, Qt::QueuedConnection);
}

void TempCleaningPrompt::showResult()
{
    std::optional<bool> result;
    QString leftItems;
    {
        std::lock_guard lock(m_resultMutex);
        result.swap(m_result);
        leftItems.swap(m_leftItems);
    }
    if (!result || !m_panel)
        return;
    m_resultPoll.stop();
    m_panel->stopProgress();
    const platform::ImagePtr image = platform::imageNamed(*result ? u"success.png"_s : u"fail.png"_s);
    m_panel->tempCleaningStatusImage()->setPixmap(image ? QPixmap::fromImage(*image) : QPixmap());
    m_panel->tempCleaningStatusImage()->show();
    if (*result) {
        m_panel->tempCleaningProgressText()->setText(u"Temporary files were cleaned successfully."_s);
    } else {
        // Said once: these stay where they are and are not offered again.
        const QString text = leftItems.isEmpty()
            ? u"Temporary file cleaning failed."_s
            : u"Temporary file cleaning failed. These items could not be removed and "
              "were left in place:\n"_s
                + leftItems;
        m_panel->tempCleaningProgressText()->setText(text);
        platform::NotificationCenter::defaultCenter().post(keys::TempCleaningFailTip, m_poster);
    }
    m_panel->tempCleaningButton()->setEnabled(true);
}
