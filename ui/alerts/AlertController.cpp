#include "ui/alerts/AlertController.h"

#include "platform/gui/Modal.h"
#include "platform/system/ApplicationWatcher.h"
#include "platform/system/MainThread.h"
#include "platform/system/Timer.h"
#include "platform/system/Workspace.h"
#include "ui/views/QZBareCell.h"

#include "ui_AlertWindow.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QStyle>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString &kLaunched = platform::Workspace::DidLaunchApplicationNotification;
const QString &kTerminated = platform::Workspace::DidTerminateApplicationNotification;

bool nameLessThan(const alertItemPtr &a, const alertItemPtr &b)
{
    return QString::compare(a->alertItemName(), b->alertItemName(), Qt::CaseInsensitive) < 0;
}

} // namespace

AlertController::AlertController(QObject *parent)
    : QObject(parent)
    , m_ui(std::make_unique<Ui::AlertWindow>())
    , m_alertWindow(new QDialog)
    , m_alertItemArrayController(new platform::ArrayController<alertItem>(this))
{
    m_ui->setupUi(m_alertWindow);
    m_ui->alertTableView->setModel(m_alertItemArrayController);
    connect(m_ui->alertCancelButton, &QPushButton::clicked, this, &AlertController::cancelAlertWindow);
    // Escape or the window's close box count as the cancel button.
    connect(m_alertWindow, &QDialog::rejected, this, [this] {
        if (m_shown)
            cancelAlertWindow();
    });
    connect(m_ui->alertTableView, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (const alertItemPtr row = m_alertItemArrayController->objectAt(index.row()))
            locateAppWithIdentifier(row->alertItemIdentifier());
    });

    platform::NotificationCenter::defaultCenter().addObserver(
        this, keys::AddAlertItem, [this](const platform::Notification &n) { addAlertItemWithInfo(n.userInfo); });
}

AlertController::~AlertController()
{
    platform::NotificationCenter::workspaceCenter().removeObserver(this);
    delete m_alertWindow;
}

QDialog *AlertController::alertWindow() const
{
    return m_alertWindow;
}
QLabel *AlertController::alertImageView() const
{
    return m_ui->alertImageView;
}
QTableView *AlertController::alertTableView() const
{
    return m_ui->alertTableView;
}
QPushButton *AlertController::alertCancelButton() const
{
    return m_ui->alertCancelButton;
}

void AlertController::awakeFromNib()
{
    using Column = platform::ArrayController<alertItem>::Column;
    Column icon;
    icon.identifier = u"alertItemImage"_s;
    icon.data = [](const alertItem &row, int role) -> QVariant {
        const platform::ImagePtr image = row.alertItemImage();
        if (role == Qt::DecorationRole && image && !image->isNull())
            return QIcon(QPixmap::fromImage(*image));
        return {};
    };
    Column name;
    name.identifier = u"alertItemName"_s;
    name.data = [](const alertItem &row, int role) -> QVariant {
        return role == Qt::DisplayRole ? QVariant(row.alertItemName()) : QVariant();
    };
    m_alertItemArrayController->setColumns({icon, name});
    m_ui->alertTableView->horizontalHeader()->resizeSection(0, 44);
    m_ui->alertTableView->setItemDelegateForColumn(0, new QZBareCell(m_ui->alertTableView));

    m_sorted = true;
    m_alertItemArrayController->sortUsing(&nameLessThan);
}

void AlertController::beginRequests()
{
    if (m_shown)
        return;
    watchTerminations(false);
    m_alertItemArrayController->removeAllObjects();
    m_appArray.clear();
}

QString AlertController::cancelTitleForParent(std::optional<keys::AlertParent> parent, const QString &appName)
{
    if (parent == keys::AlertParent::AppControl)
        return u"Cancel Scan"_s;
    if (parent == keys::AlertParent::ResultsControlSingleEntry)
        return u"Skip %1"_s.arg(appName);
    return u"Cancel Removal"_s;
}

void AlertController::addAlertItemWithInfo(const QVariantMap &info)
{
    // Cleaning runs post their requests on the worker; the rows belong to the main thread and
    // must be there when the post returns.
    platform::MainThread::performAndWait([this, info] { addOnMainThread(info); });
}

void AlertController::addOnMainThread(const QVariantMap &info)
{
    if (info.contains(keys::AlertItemParent))
        m_alertParent = keys::alertParentFromTag(info.value(keys::AlertItemParent).toString());
    const QString identifier = info.value(keys::AlertItemIdentifier).toString();
    const QString name = info.value(keys::AlertItemName).toString();

    QList<alertItemPtr> rows = m_alertItemArrayController->arrangedObjects();
    for (const auto &row : rows)
        if (row->alertItemName() == name)
            return;

    const auto &workspace = platform::Workspace::sharedWorkspace();
    for (const platform::RunningApplication &app : workspace.runningApplications()) {
        if (app.bundleIdentifier != identifier)
            continue;
        const QString bundlePath = workspace.absolutePathForAppBundleWithIdentifier(identifier);
        if (bundlePath.isEmpty())
            continue;
        auto row = alertItem::create();
        row->setAlertItemIdentifier(identifier);
        row->setAlertItemName(name);
        row->setAlertItemImage(workspace.iconForFile(bundlePath));
        row->setAlertItemApp(app);
        watchTerminations(true);
        if (m_sorted) {
            rows = m_alertItemArrayController->arrangedObjects();
            const auto at = std::upper_bound(rows.begin(), rows.end(), row, &nameLessThan);
            m_alertItemArrayController->insertObject(row, int(at - rows.begin()));
        } else {
            m_alertItemArrayController->addObject(row);
        }
        m_ui->alertCancelButton->setText(cancelTitleForParent(m_alertParent, name));
    }

    const QVariantMap pair{{keys::AlertItemIdentifier, identifier}, {keys::AlertItemName, name}};
    if (!m_appArray.contains(pair))
        m_appArray.append(pair);
}

void AlertController::watchTerminations(bool on)
{
    if (on == m_watchingTerminations)
        return;
    m_watchingTerminations = on;
    auto &center = platform::NotificationCenter::workspaceCenter();
    if (!on) {
        center.removeObserver(this, kTerminated);
        return;
    }
    center.addObserver(this, kTerminated, [this](const platform::Notification &n) {
        const pid_t pid = pid_t(n.userInfo.value(platform::Workspace::ApplicationProcessIdentifierKey).toLongLong());
        platform::MainThread::dispatch([guard = QPointer<AlertController>(this), pid] {
            if (guard)
                guard->observeValueForKeyPath(u"isTerminated"_s, pid);
        });
    });
    platform::ApplicationWatcher::ensureStarted();
}

void AlertController::showAlertWindow()
{
    if (!platform::MainThread::isMainThread()) {
        platform::MainThread::dispatch([guard = QPointer<AlertController>(this)] {
            if (guard)
                guard->showAlertWindow();
        });
        return;
    }
    if (m_shown)
        return;
    m_shown = true;
    const QIcon caution = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    m_ui->alertImageView->setPixmap(caution.pixmap(64, 64));
    platform::NotificationCenter::workspaceCenter().addObserver(
        this, kLaunched, [this](const platform::Notification &n) {
            platform::MainThread::dispatch([guard = QPointer<AlertController>(this), n] {
                if (guard)
                    guard->checkApps(n);
            });
        });
    platform::ApplicationWatcher::ensureStarted();

    // An application may have quit before the workspace began watching; the watcher reports
    // only what changes after its first look, so check once now and once after that look.
    pruneVanishedApplications();
    if (!m_shown)
        return;
    platform::Timer::scheduledTimer(2.0 * platform::ApplicationWatcher::pollInterval / 1000.0, this,
                                    [this] { pruneVanishedApplications(); });
    platform::Modal::runModalForWindow(m_alertWindow);
}

void AlertController::pruneVanishedApplications()
{
    const auto &workspace = platform::Workspace::sharedWorkspace();
    for (const auto &row : m_alertItemArrayController->arrangedObjects()) {
        const auto app = row->alertItemApp();
        if (app && !workspace.isRunning(app->processIdentifier))
            observeValueForKeyPath(u"isTerminated"_s, app->processIdentifier);
    }
    if (m_shown && m_alertItemArrayController->count() == 0) {
        closeAlertWindow();
        postContinue();
    }
}

void AlertController::observeValueForKeyPath(const QString &keyPath, pid_t processIdentifier)
{
    if (keyPath != QLatin1String("isTerminated"))
        return;
    QList<alertItemPtr> gone;
    for (const auto &row : m_alertItemArrayController->arrangedObjects()) {
        const auto app = row->alertItemApp();
        if (app && app->processIdentifier == processIdentifier)
            gone.append(row);
    }
    if (gone.isEmpty())
        return;
    for (const auto &row : gone)
        m_alertItemArrayController->removeObject(row);
    if (m_alertItemArrayController->count() > 0)
        return;
    watchTerminations(false);
    // Only a shown alert goes on by itself: a requester that stopped before showing it (the
    // sync question answered "Yes") must not find its scan started behind its back.
    if (!m_shown)
        return;
    closeAlertWindow();
    postContinue();
}

bool AlertController::shouldDisplayAlertWindow() const
{
    return m_alertItemArrayController->count() > 0;
}

void AlertController::cancelAlertWindow()
{
    closeAlertWindow();
    postCancel();
}

void AlertController::closeAlertWindow()
{
    platform::NotificationCenter::workspaceCenter().removeObserver(this, kLaunched);
    watchTerminations(false);
    m_alertItemArrayController->removeAllObjects();
    m_appArray.clear();
    m_shown = false;
    platform::Modal::endSheet(m_alertWindow);
    m_alertWindow->hide();
}

void AlertController::checkApps(const platform::Notification &notification)
{
    if (!m_shown)
        return;
    const QString identifier =
        notification.userInfo.value(platform::Workspace::ApplicationBundleIdentifierKey).toString();
    const QList<QVariantMap> pairs = m_appArray;
    for (const QVariantMap &pair : pairs)
        if (pair.value(keys::AlertItemIdentifier).toString() == identifier)
            platform::NotificationCenter::defaultCenter().post(keys::AddAlertItem, this, pair);
}

void AlertController::locateAppWithIdentifier(const QString &identifier)
{
    const auto apps = platform::Workspace::sharedWorkspace().runningApplicationsWithBundleIdentifier(identifier);
    if (!apps.isEmpty())
        platform::Workspace::sharedWorkspace().activate();
}

void AlertController::postContinue()
{
    if (!m_alertParent)
        return;
    QString name;
    switch (*m_alertParent) {
    case keys::AlertParent::AppControl:
        name = keys::StartScanNotification;
        break;
    case keys::AlertParent::ResultsControl:
        name = keys::StartShredNotification;
        break;
    case keys::AlertParent::ResultsControlSingleEntry:
        name = keys::ContinueShredNotification;
        break;
    }
    platform::NotificationCenter::defaultCenter().post(name, this);
}

void AlertController::postCancel()
{
    // A scan's request needs no word back: the scan simply does not start.
    if (!m_alertParent || *m_alertParent == keys::AlertParent::AppControl)
        return;
    const QString name = *m_alertParent == keys::AlertParent::ResultsControl ? keys::CancelShredNotification
                                                                             : keys::SkipShredItemNotification;
    platform::NotificationCenter::defaultCenter().post(name, this);
}
