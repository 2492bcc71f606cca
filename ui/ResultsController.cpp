#include "ui/ResultsController.h"

#include "platform/Image.h"
#include "platform/MainThread.h"
#include "platform/Modal.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "ui/summary/CleaningResultsWindow.h"
#include "ui/summary/CleaningSummary.h"
#include "ui/summary/CleaningWarning.h"
#include "ui/summary/DaemonRestarts.h"
#include "ui/views/Hyperlink.h"
#include "ui/views/QZTextFieldCell.h"

#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QTableView>

namespace {
// The product's page on the maker's site ("siteHost"), which the share text points to.
const QString kProductPagePath = QStringLiteral("/nimbrel");
} // namespace

ResultsController::ResultsController(QObject *parent)
    : QObject(parent), m_resultsArrayController(new platform::ArrayController<resultItem>(this))
{
}

ResultsController::~ResultsController() = default;

void ResultsController::setResultsArrayController(platform::ArrayController<resultItem> *controller)
{
    if (!controller || controller == m_resultsArrayController)
        return;
    if (m_resultsArrayController && m_resultsArrayController->parent() == this)
        delete m_resultsArrayController;
    m_resultsArrayController = controller;
    if (m_resultsTableView)
        m_resultsTableView->setModel(controller);
}

void ResultsController::setResultsTableView(QTableView *view)
{
    m_resultsTableView = view;
    if (view)
        view->setModel(m_resultsArrayController);
}

void ResultsController::awakeFromNib()
{
    m_isShredding = false;
    m_doneShredding = false;
    m_skipCookies = false;
    m_skipRecentFolders = false;
    m_skipItem = false;
    m_shouldShowCleanSystemTip = false;
    m_cfprefsdNeedsRestart = false;
    m_sharedfilelistdNeedsRestart = false;

    using Column = platform::ArrayController<resultItem>::Column;
    auto text = [](QString (resultItem::*getter)() const) {
        return [getter](const resultItem &row, int role) -> QVariant {
            return role == Qt::DisplayRole ? QVariant((row.*getter)()) : QVariant();
        };
    };
    Column check;
    check.identifier = QStringLiteral("checkColumn");
    check.isChecked = [](const resultItem &row) { return row.resultItemIsChecked() == std::optional<bool>(true); };
    check.setChecked = [](resultItem &row, bool checked) { row.setResultItemIsChecked(checked); };
    Column icon;
    icon.identifier = QStringLiteral("iconColumn");
    icon.data = [](const resultItem &row, int role) -> QVariant {
        const platform::ImagePtr image = row.resultItemImage();
        if (role == Qt::DecorationRole && image && !image->isNull())
            return QIcon(QPixmap::fromImage(*image));
        return {};
    };
    Column name;
    name.identifier = QStringLiteral("nameColumn");
    name.title = QStringLiteral("Item");
    name.data = text(&resultItem::resultItemName);
    Column size;
    size.identifier = QStringLiteral("sizeColumn");
    size.title = QStringLiteral("Size");
    size.data = [](const resultItem &row, int role) -> QVariant {
        if (role == Qt::DisplayRole)
            return row.resultItemConvertedSize();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    };
    Column status;
    status.identifier = QStringLiteral("statusColumn");
    status.hidden = true;
    Column statusText;
    statusText.identifier = QStringLiteral("statusTextColumn");
    statusText.title = QStringLiteral("Status");
    statusText.data = text(&resultItem::resultItemStatusText);
    statusText.hidden = true;
    m_resultsArrayController->setColumns({check, icon, name, size, status, statusText});

    if (QTableView *table = m_resultsTableView) {
        const auto &columns = m_resultsArrayController->columns();
        for (int i = 0; i < columns.size(); ++i)
            table->setColumnHidden(i, columns[i].hidden);
        QHeaderView *header = table->horizontalHeader();
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->resizeSection(0, 28);
        header->resizeSection(1, 24);
        header->setSectionResizeMode(2, QHeaderView::Stretch);
        header->resizeSection(3, 90);
        header->resizeSection(4, 24);
        header->resizeSection(5, 150);
        // Name and size read best centred in the tall rows, and white on the selection.
        for (const char *identifier : {"nameColumn", "sizeColumn"})
            table->setItemDelegateForColumn(m_resultsArrayController->columnWithIdentifier(QLatin1String(identifier)),
                                            new QZTextFieldCell(table));
    }
}


// --- Pre-clean checks, results mode and summary ------------------------------------------------

void ResultsController::setCleaningResultsWindow(CleaningResultsWindow *window)
{
    m_cleaningResultsWindow = window;
    m_cleaningStatusImage = window ? window->cleaningStatusImage() : nullptr;
    m_cleaningStatusTextField = window ? window->cleaningStatusTextField() : nullptr;
    m_cleaningOutput = window ? window->cleaningOutput() : nullptr;
    m_tweetLink = window ? window->tweetLink() : nullptr;
}

void ResultsController::checkRecentFolders()
{
    CleaningWarning::recentFolders().run(*m_resultsArrayController, m_skipRecentFolders,
                                         m_resultsTableView ? m_resultsTableView->window() : nullptr);
}

void ResultsController::checkCookies()
{
    CleaningWarning::cookies().run(*m_resultsArrayController, m_skipCookies,
                                   m_resultsTableView ? m_resultsTableView->window() : nullptr);
}

void ResultsController::setShowingScanResults(bool showing)
{
    m_isShowingScanResults = showing;
    if (m_resultsArrayController->count() == 0) {
        auto &defaults = platform::UserDefaults::standardUserDefaults();
        defaults.setInteger(defaults.integerForKey(QStringLiteral("runCount")) + 1, QStringLiteral("runCount"));
        // A clean system twice in a row earns the tip; the first clean result after findings
        // only resets the count.
        const qint64 lastScanCount = defaults.integerForKey(QStringLiteral("lastScanCount"));
        if (lastScanCount <= 0) {
            if (lastScanCount < 0)
                defaults.setInteger(0, QStringLiteral("lastScanCount"));
            m_shouldShowCleanSystemTip = true;
        } else {
            defaults.setInteger(0, QStringLiteral("lastScanCount"));
        }
        m_isShowingScanResults = false;
        m_doneShredding = true;
        if (QLabel *view = m_cleanSystemImageView) {
            if (const platform::ImagePtr icon = platform::imageNamed(QStringLiteral("NSApplicationIcon")))
                view->setPixmap(QPixmap::fromImage(*icon));
            view->setHidden(false);
        }
        displayShredResults();
    }
    m_enableShredMenu = true;
    if (m_shredMenuItem)
        m_shredMenuItem->setEnabled(true);
}

void ResultsController::restartCFPrefsd()
{
    DaemonRestarts::restart(QStringLiteral("cfprefsd"));
}

void ResultsController::restartSharedfilelistd()
{
    DaemonRestarts::restart(QStringLiteral("sharedfilelistd"));
}

void ResultsController::displayShredResults()
{
    using platform::MainThread;
    if (m_cfprefsdNeedsRestart && DaemonRestarts::cfprefsdAppliesHere())
        MainThread::performAndWait([this] { restartCFPrefsd(); });
    if (m_sharedfilelistdNeedsRestart && DaemonRestarts::sharedfilelistdAppliesHere())
        MainThread::performAndWait([this] { restartSharedfilelistd(); });

    // The end of a run may be observed on the worker; the window's labels are the main thread's.
    MainThread::performAndWait([this] {
        const CleaningSummary summary(m_shreddedItemCount, m_skippedItemCount, m_problemItemCount,
                                      m_shreddedItemTotalSize);
        if (QLabel *link = m_tweetLink) {
            link->setHidden(true);
            link->setTextInteractionFlags(Qt::NoTextInteraction);
        }
        if (const auto heading = summary.heading()) {
            if (QLabel *image = m_cleaningStatusImage) {
                const platform::ImagePtr picture = platform::imageNamed(heading->image);
                image->setPixmap(picture ? QPixmap::fromImage(*picture) : QPixmap());
            }
            if (QLabel *text = m_cleaningStatusTextField)
                text->setText(heading->text);
        }
        m_shreddedItemTotalSizeConverted = summary.convertedSizeText();
        if (summary.offersShareLink()) {
            setupTweetLink();
            if (QLabel *link = m_tweetLink) {
                link->setHidden(false);
                link->setTextInteractionFlags(Qt::TextBrowserInteraction);
            }
        }
        if (QLabel *output = m_cleaningOutput)
            output->setText(summary.text());

        auto &center = platform::NotificationCenter::defaultCenter();
        if (m_shouldShowCleanSystemTip)
            center.post(QStringLiteral("CleanSystemTip"), this);
        center.post(QStringLiteral("CleaningStatusTips"), this);
    });

    MainThread::dispatch([this, guard = QPointer<ResultsController>(this)] {
        if (!guard)
            return;
        if (QWidget *window = m_cleaningResultsWindow) {
            platform::Modal::runModalForWindow(window);
            platform::Modal::endSheet(window);
            window->hide();
        }
        auto &center = platform::NotificationCenter::defaultCenter();
        center.post(QStringLiteral("CleaningStatusTipsEnd"), this);
        center.post(QStringLiteral("CleanSystemTipEnd"), this);
    });
}

void ResultsController::setupTweetLink()
{
    const CleaningSummary summary(m_shreddedItemCount, m_skippedItemCount, m_problemItemCount,
                                  m_shreddedItemTotalSize);
    auto &defaults = platform::UserDefaults::standardUserDefaults();
    const QString productPage = defaults.stringForKey(QStringLiteral("siteHost")) + kProductPagePath;
    const QUrl url = summary.shareUrl(defaults.stringForKey(QStringLiteral("socialHost")), productPage);
    if (QLabel *link = m_tweetLink) {
        link->setAlignment(Qt::AlignCenter);
        link->setText(hyperlinkFromTextString(QStringLiteral("Tweet Scan Results"), url));
    }
}
