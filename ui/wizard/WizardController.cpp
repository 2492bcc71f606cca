#include "ui/wizard/WizardController.h"

#include "core/Keys.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/gui/WebPages.h"
#include "platform/gui/WindowPlacement.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/ProcessInfo.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "targets/base/MasterPrefsViewController.h"
#include "ui/wizard/FirstResponder.h"
#include "ui/wizard/WizardCleaningViewController.h"
#include "ui/wizard/WizardFinalViewController.h"
#include "ui/wizard/WizardNewAppViewController.h"
#include "ui/wizard/WizardNewAppsViewController.h"
#include "ui/wizard/WizardSettingsViewController.h"
#include "ui/wizard/WizardWelcomeViewController.h"

#include "ui_WizardWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

const QString WizardController::kWebPagePath = u"/nb-stay-updated"_s;

namespace {
// The web view's frame on the final page, measured from the page's bottom-left corner.
constexpr int kWebViewX = 17;
constexpr int kWebViewBottom = 76;
constexpr int kWebViewWidth = 380;
constexpr int kWebViewHeight = 75;
} // namespace

QString WizardController::Page::title() const
{
    if (page)
        return page->title();
    return pane ? pane->title() : QString();
}

bool WizardController::Page::isFinal() const
{
    return dynamic_cast<const WizardFinalViewController *>(page.get()) != nullptr;
}

QWidget *WizardController::Page::view() const
{
    if (page)
        return page->view();
    return pane ? pane->view() : nullptr;
}

WizardController::WizardController(QObject *parent)
    : QObject(parent)
{
    auto *window = new QWidget(nullptr, Qt::Dialog);
    Ui::WizardWindow form;
    form.setupUi(window);
    m_wizardWindow = window;
    m_wizardBox = form.wizardBox;
    m_titleText = form.titleText;
    m_nextButton = form.nextButton;
    m_prevButton = form.prevButton;
    m_cancelButton = form.cancelButton;
    m_webViewLoadingProgress = form.webViewLoadingProgress;
    m_webViewLoadingProgress->hide();

    connect(m_nextButton, &QPushButton::clicked, this, &WizardController::nextButtonClicked);
    connect(m_prevButton, &QPushButton::clicked, this, &WizardController::displayPreviousWizardScreen);
    connect(m_cancelButton, &QPushButton::clicked, this, &WizardController::cancelWizardWindow);
    // The close box means Cancel, so the modal run never goes on without a window.
    window->installEventFilter(this);
}

WizardController::~WizardController()
{
    if (m_timer)
        m_timer->invalidate();
    if (m_wizardWindow && platform::Modal::isRunning(m_wizardWindow))
        platform::Modal::endModalForWindow(m_wizardWindow);
    m_wizardViewControllers.clear();
    delete m_wizardWindow.data();
}

bool WizardController::isOlderThanHighSierra()
{
    const auto version = platform::ProcessInfo::processInfo().operatingSystemVersion();
    return !version || (version->majorVersion == 10 && version->minorVersion <= 12);
}

void WizardController::initWizardWithViews(const PaneList &panes)
{
    // A second run must not show the pages of the first one.
    m_wizardViewControllers.clear();
    m_didShowWebView = false;
    using Part = WizardSettingsViewController::Part;
    auto own = [this](WizardPageController *page) {
        m_wizardViewControllers.append({std::shared_ptr<WizardPageController>(page), {}});
    };
    own(new WizardWelcomeViewController);
    own(new WizardCleaningViewController);
    // Older systems keep tips and effects on, so they get a page of their own there.
    if (isOlderThanHighSierra()) {
        own(new WizardSettingsViewController(Part::SecureRemoval));
        own(new WizardSettingsViewController(Part::Effects));
    } else {
        own(new WizardSettingsViewController(Part::All));
    }
    for (const auto &pane : panes)
        m_wizardViewControllers.append({{}, pane});
    own(new WizardFinalViewController);
    startRun();
}

void WizardController::initNewAppWizardWithViews(const PaneList &panes)
{
    m_wizardViewControllers.clear();
    m_didShowWebView = false;
    WizardPageController *first = panes.size() < 2 ? static_cast<WizardPageController *>(new WizardNewAppViewController)
                                                   : new WizardNewAppsViewController;
    m_wizardViewControllers.append({std::shared_ptr<WizardPageController>(first), {}});
    for (const auto &pane : panes)
        m_wizardViewControllers.append({{}, pane});
    m_wizardViewControllers.append({std::make_shared<WizardFinalViewController>(), {}});
    startRun();
}

void WizardController::startRun()
{
    m_webView = nullptr;
    setNextAction(NextAction::Next);
    displayViewController(m_wizardViewControllers.first());
    m_viewPosition = 0;
    m_prevButton->setEnabled(false);
    m_nextButton->setEnabled(true);
    showWizardWindow();
}

bool WizardController::displayViewController(const Page &page)
{
    if (!FirstResponder::makeWindowFirstResponder(m_wizardWindow))
        return false;
    QWidget *view = page.view();
    if (!view)
        return false;

    QLayout *layout = m_wizardBox->layout();
    if (m_contentView && m_contentView != view) {
        layout->removeWidget(m_contentView);
        m_contentView->hide();
    }
    m_titleText->setText(page.title());

    if (page.isFinal() && !m_didShowWebView) {
        auto *web = new platform::WebView(view);
        web->setGeometry(kWebViewX, view->height() - kWebViewBottom - kWebViewHeight, kWebViewWidth, kWebViewHeight);
        web->setDrawsBackground(false);
        web->setFrameLoadDelegate(this);
        web->loadRequest(webPageURL());
        web->show();
        m_webView = web;
        m_didShowWebView = true;
    }

    if (view->parentWidget() != m_wizardBox)
        view->setParent(m_wizardBox);
    layout->addWidget(view);
    view->show();
    m_contentView = view;
    return true;
}

QUrl WizardController::webPageURL()
{
    return platform::WebPages::site(kWebPagePath);
}

void WizardController::webViewDidStartProvisionalLoadForFrame(platform::WebView *)
{
    startLoadingIndicator();
}

void WizardController::webViewDidFinishLoadForFrame(platform::WebView *)
{
    stopLoadingIndicator();
}

void WizardController::webViewDidFailProvisionalLoadWithError(platform::WebView *, const QString &)
{
    stopLoadingIndicator();
}

void WizardController::webViewDidFailLoadWithError(platform::WebView *, const QString &)
{
    stopLoadingIndicator();
}

void WizardController::startLoadingIndicator()
{
    if (m_webViewLoadingProgress)
        m_webViewLoadingProgress->show();
}

void WizardController::stopLoadingIndicator()
{
    if (m_webViewLoadingProgress)
        m_webViewLoadingProgress->hide();
}

void WizardController::setNextAction(NextAction action)
{
    m_nextAction = action;
    m_nextButton->setText(action == NextAction::Done ? u"Done"_s : u"Next"_s);
}

void WizardController::nextButtonClicked()
{
    if (m_nextAction == NextAction::Done)
        closeWizardWindow();
    else
        displayNextWizardScreen();
}

void WizardController::displayNextWizardScreen()
{
    const int count = int(m_wizardViewControllers.size());
    const int before = m_viewPosition;
    if (before + 1 >= count)
        return;
    const NextAction action = m_nextAction;
    const bool prevEnabled = m_prevButton->isEnabled();

    m_viewPosition = before + 1;
    if (before >= 0)
        m_prevButton->setEnabled(true);
    if (m_viewPosition >= count - 1)
        setNextAction(NextAction::Done);
    m_nextButton->setEnabled(true);

    if (!displayViewController(m_wizardViewControllers.at(m_viewPosition))) {
        // The page stayed, so everything that describes it stays too.
        m_viewPosition = before;
        m_prevButton->setEnabled(prevEnabled);
        setNextAction(action);
        return;
    }
    // What the user set on the pages so far is kept even if the assistant never finishes.
    platform::UserDefaults::standardUserDefaults().synchronize();
}

void WizardController::displayPreviousWizardScreen()
{
    const int count = int(m_wizardViewControllers.size());
    const int before = m_viewPosition;
    if (before <= 0 || before >= count)
        return;
    const NextAction action = m_nextAction;
    const bool nextEnabled = m_nextButton->isEnabled();

    m_viewPosition = before - 1;
    setNextAction(NextAction::Next);
    m_prevButton->setEnabled(m_viewPosition >= 1);
    m_nextButton->setEnabled(m_viewPosition < count - 1);

    if (!displayViewController(m_wizardViewControllers.at(m_viewPosition))) {
        m_viewPosition = before;
        m_prevButton->setEnabled(true);
        m_nextButton->setEnabled(nextEnabled);
        setNextAction(action);
    }
}

void WizardController::showWizardWindow()
{
    if (m_timer)
        m_timer->invalidate();
    m_timer = platform::Timer::scheduledTimer(0.15, this, [this] { wizardTimerFire(); });
}

void WizardController::wizardTimerFire()
{
    if (m_timer)
        m_timer->invalidate();
    m_timer = nullptr;
    if (!m_wizardWindow || platform::Modal::isRunning(m_wizardWindow))
        return;
    m_wizardWindow->adjustSize();
    platform::centerOnScreen(m_wizardWindow);
    platform::Modal::runModalForWindow(m_wizardWindow);
}

void WizardController::hideWizardWindow()
{
    stopLoadingIndicator();
    // Closed before the timer opened it: it must not open afterwards.
    if (m_timer)
        m_timer->invalidate();
    m_timer = nullptr;
    platform::Modal::endSheet(m_wizardWindow);
    m_wizardWindow->hide();
    auto &center = platform::NotificationCenter::defaultCenter();
    center.post(keys::DisplayMainWindow, this);
    center.post(keys::CheckTargetLocations, this);
}

void WizardController::closeWizardWindow()
{
    hideWizardWindow();
}

void WizardController::cancelWizardWindow()
{
    platform::Alert alert;
    alert.setMessageText(u"Cancel Setup Assistant"_s);
    alert.addButtonWithTitle(u"OK"_s);
    alert.setInformativeText(u"Nimbrel will use the default recommendations for any unconfigured settings."_s);
    alert.runModal(m_wizardWindow);
    hideWizardWindow();
}

bool WizardController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_wizardWindow && event->type() == QEvent::Close && m_wizardWindow->isVisible()) {
        event->ignore();
        cancelWizardWindow();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
