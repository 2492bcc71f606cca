#include "ui/prefs/PrefsController.h"

#include "core/Keys.h"
#include "core/Settings.h"
#include "platform/gui/Modal.h"
#include "platform/gui/WindowPlacement.h"
#include "platform/system/Dictionary.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "targets/base/MasterPrefsViewController.h"
#include "ui/views/SettingsBindings.h"
#include "ui/wizard/FirstResponder.h"
#include "ui/wizard/WizardController.h"

#include "ui_AdvancedOptionsPanel.h"
#include "ui_PrefsWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLayout>
#include <QPixmap>

#include <algorithm>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

const QString PrefsController::kFlashCookiesIdentifier = keys::FlashCookies;

namespace {

// A number equal to `n` (a switch stored as a boolean counts as 0 or 1); anything else is not.
bool isNumberEqualTo(const QVariant &value, int n)
{
    return (value.typeId() == QMetaType::Bool || platform::isNumberValue(value)) && value.toDouble() == n;
}

QIcon smallIconFor(const QString &identifier)
{
    platform::ImagePtr image;
    if (identifier == PrefsController::kFlashCookiesIdentifier) {
        image = platform::imageNamed(u"FlashCookieSmall.png"_s);
    } else {
        const platform::Workspace &workspace = platform::Workspace::sharedWorkspace();
        image = workspace.iconForFile(workspace.absolutePathForAppBundleWithIdentifier(identifier));
    }
    if (!image || image->isNull())
        return {};
    return QIcon(QPixmap::fromImage(image->scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

} // namespace

PrefsController::PrefsController(QObject *parent)
    : QObject(parent)
{
    const Settings::Entry &firstLaunch = Settings::entry(Settings::Key::FirstLaunch);
    UserDefaults::standardUserDefaults().registerDefaults({{firstLaunch.name, firstLaunch.defaultValue}});

    auto *window = new QWidget(nullptr, Qt::Window);
    Ui::PrefsWindow form;
    form.setupUi(window);
    m_prefsWindow = window;
    m_popUp = form.popUp;
    m_box = form.box;
    m_noPanesLabel = form.noPanesLabel;
    SettingsBindings::bindChildren(window);
    // The binding stores the new value on `toggled`, before `clicked` reaches us.
    connect(form.enableTips, &QCheckBox::clicked, this, &PrefsController::toggleTips);
    connect(form.advancedOptionsButton, &QPushButton::clicked, this, &PrefsController::showAdvancedOptionsPanel);
    connect(m_popUp, &QComboBox::activated, this,
            [this](int index) { changeViewController(m_popUp->itemData(index).toInt()); });
    window->installEventFilter(this);

    auto *panel = new QWidget(nullptr, Qt::Dialog);
    Ui::AdvancedOptionsPanel panelForm;
    panelForm.setupUi(panel);
    m_advancedOptionsPanel = panel;
    SettingsBindings::bindChildren(panel);
    connect(panelForm.doneButton, &QPushButton::clicked, this, &PrefsController::hideAdvancedOptionsPanel);
    panel->installEventFilter(this);
}

PrefsController::~PrefsController()
{
    // Whatever the modules registered us on must not call a controller that is gone.
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    const PrefsPaneHost *host = this;
    for (auto it = m_watchedKeys.cbegin(); it != m_watchedKeys.cend(); ++it) {
        for (int i = 0; i <= it.value(); ++i)
            defaults.removeObserver(it.key(), host);
    }
    m_viewControllers.clear();
    delete m_advancedOptionsPanel.data();
    delete m_prefsWindow.data();
}

void PrefsController::post(const QString &name, const QVariantMap &userInfo)
{
    platform::NotificationCenter::defaultCenter().post(name, this, userInfo);
}

void PrefsController::addItemWithInfo(const QVariantMap &info)
{
    auto *pane = qobject_cast<MasterPrefsViewController *>(info.value(keys::VController).value<QObject *>());
    if (!pane)
        return;
    pane->setParent(nullptr);
    m_viewControllers.append(std::shared_ptr<MasterPrefsViewController>(pane));
    const QString key = pane->switches().master.key;
    if (!key.isEmpty())
        ++m_watchedKeys[key];
}

void PrefsController::sortByTitle(Qt::CaseSensitivity sensitivity)
{
    std::stable_sort(m_viewControllers.begin(), m_viewControllers.end(), [sensitivity](const auto &a, const auto &b) {
        return QString::compare(a->title(), b->title(), sensitivity) < 0;
    });
}

void PrefsController::awakeFromNib()
{
    if (Settings::boolValue(Settings::Key::FirstLaunch)) {
        post(keys::LoadPrefsViews);
        sortByTitle(Qt::CaseSensitive);
        if (m_wizardControl) {
            m_wizardControl->initWizardWithViews(PaneList(m_viewControllers));
        } else {
            // Nothing to guide the user through: go straight to the main window.
            post(keys::DisplayMainWindow);
            post(keys::CheckTargetLocations);
        }
        // Cleared as the assistant starts, so a launch that ends inside it does not repeat it.
        Settings::setBool(Settings::Key::FirstLaunch, false);
        UserDefaults::standardUserDefaults().synchronize();
        return;
    }

    post(keys::CheckInstalledApps);
    if (m_viewControllers.isEmpty() || !m_wizardControl) {
        post(keys::DisplayMainWindow);
        post(keys::CheckTargetLocations);
        return;
    }
    sortByTitle(Qt::CaseSensitive);
    m_wizardControl->initNewAppWizardWithViews(PaneList(m_viewControllers));
}

void PrefsController::showPrefsWindow()
{
    if (m_prefsWindowLoaded)
        return;
    m_prefsWindowLoaded = true;
    m_viewControllers.clear();
    post(keys::LoadPrefsViews);

    m_popUp->clear();
    sortByTitle(Qt::CaseInsensitive);
    fillPopUp();

    // Without any pane the box says so instead of staying blank.
    m_noPanesLabel->setVisible(m_viewControllers.isEmpty());
    m_popUp->setEnabled(!m_viewControllers.isEmpty());
    if (!m_viewControllers.isEmpty())
        displayViewController(m_viewControllers.first().get());
    else
        m_prefsWindow->adjustSize();
    if (m_popUp->count() > 0)
        m_popUp->setCurrentIndex(0);
    // Centred the first time only: later it opens where the user last left it.
    if (!m_placed) {
        platform::centerOnScreen(m_prefsWindow);
        m_placed = true;
    }
    m_prefsWindow->show();
    m_prefsWindow->raise();
    m_prefsWindow->activateWindow();
    post(keys::PrefsTips);
}

void PrefsController::fillPopUp()
{
    for (int i = 0; i < m_viewControllers.size(); ++i) {
        const auto &pane = m_viewControllers.at(i);
        m_popUp->addItem(smallIconFor(pane->identifier()), pane->title(), i);
    }
}

QSize PrefsController::viewSize(QWidget *view)
{
    // A view that was never laid out has only its preferred size.
    return view->testAttribute(Qt::WA_Resized) ? view->size() : view->sizeHint().expandedTo(view->minimumSize());
}

bool PrefsController::displayViewController(MasterPrefsViewController *pane)
{
    if (!pane)
        return false;
    if (!FirstResponder::makeWindowFirstResponder(m_prefsWindow))
        return false;
    QWidget *view = pane->view();
    if (!view)
        return false;

    QLayout *layout = m_box->layout();
    QWidget *current = m_contentView.data();
    if (current == view) {
        m_shownPane = pane;
        return true;
    }
    if (current) {
        const QSize before = viewSize(current);
        const QSize after = viewSize(view);
        const int dw = after.width() - before.width();
        const int dh = after.height() - before.height();
        layout->removeWidget(current);
        current->hide();
        // The window's minimum size must no longer count the old pane.
        layout->activate();
        if (QLayout *windowLayout = m_prefsWindow->layout()) {
            windowLayout->invalidate();
            windowLayout->activate();
        }
        // The top edge stays; the window grows or shrinks by the difference.
        const QRect frame = m_prefsWindow->geometry();
        m_prefsWindow->setGeometry(frame.x(), frame.y(), frame.width() + dw, frame.height() + dh);
    }
    view->setParent(m_box);
    layout->addWidget(view);
    view->show();
    if (!current)
        m_prefsWindow->adjustSize();
    m_contentView = view;
    m_shownPane = pane;
    return true;
}

int PrefsController::indexOfPane(const MasterPrefsViewController *pane) const
{
    for (int i = 0; i < m_viewControllers.size(); ++i) {
        if (m_viewControllers.at(i).get() == pane)
            return i;
    }
    return -1;
}

void PrefsController::changeViewController(int tag)
{
    if (tag < 0 || tag >= m_viewControllers.size())
        return;
    if (!displayViewController(m_viewControllers.at(tag).get())) {
        // The pane stayed, so the pop-up names it again.
        const int shown = indexOfPane(m_shownPane);
        if (shown >= 0)
            m_popUp->setCurrentIndex(m_popUp->findData(shown));
    }
}

void PrefsController::toggleTips()
{
    if (Settings::boolValue(Settings::Key::EnableTips)) {
        post(keys::PrefsTips);
        post(keys::ToggleTipsOn);
    } else {
        post(keys::PrefsTipsEnd);
        post(keys::ToggleTipsOff);
    }
}

void PrefsController::windowWillClose()
{
    if (!m_prefsWindowLoaded)
        return;
    if (Settings::boolValue(Settings::Key::EnableTips))
        post(keys::PrefsTipsEnd);
    post(keys::RemovePrefsObservers);
    m_prefsWindowLoaded = false;
}

void PrefsController::observeValueForKeyPath(const QString &key, int kind, const QVariant &, const QVariant &newValue)
{
    if (kind != 1)
        return;
    const QString name = key == QLatin1String("scanFlashCookies") ? u"Flash Cookies"_s : key.mid(4);
    const QVariantMap info = keys::locationItem(name);
    if (isNumberEqualTo(newValue, 1))
        post(keys::AddLocationItem, info);
    else if (isNumberEqualTo(newValue, 0))
        post(keys::RemoveLocationItem, info);
}

void PrefsController::showAdvancedOptionsPanel()
{
    m_advancedOptionsPanel->adjustSize();
    platform::centerOnScreen(m_advancedOptionsPanel);
    platform::Modal::beginSheet(m_advancedOptionsPanel, m_prefsWindow);
}

void PrefsController::hideAdvancedOptionsPanel()
{
    m_advancedOptionsPanel->hide();
    platform::Modal::endSheet(m_advancedOptionsPanel);
}

bool PrefsController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        if (watched == m_advancedOptionsPanel) {
            hideAdvancedOptionsPanel();
        } else if (watched == m_prefsWindow) {
            if (m_advancedOptionsPanel && m_advancedOptionsPanel->isVisible())
                hideAdvancedOptionsPanel();
            windowWillClose();
        }
    }
    return QObject::eventFilter(watched, event);
}
