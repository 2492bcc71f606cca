#include "app/NimbrelAppDelegate.h"

#include "core/Settings.h"
#include "platform/gui/Sound.h"
#include "platform/gui/VendorServices.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"
#include "platform/system/ProcessInfo.h"
#include "platform/system/UserDefaults.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QStringList>

#include <mutex>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

namespace {

// The user-initiated activity that still lets the machine sleep when idle.
constexpr quint64 kLaunchActivityOptions = 0x00FFFFFF;

// 10.13 up to (not including) 11. No version means an older system.
bool isHighSierraUpTo11()
{
    const auto version = platform::ProcessInfo::processInfo().operatingSystemVersion();
    return version && version->majorVersion == 10 && version->minorVersion >= 13;
}

QVariantMap readDefaultsList(const QString &name)
{
    const QString path = platform::Bundle::mainBundle().pathForResource(name, u"plist"_s);
    const auto list = path.isEmpty() ? std::nullopt : platform::PropertyList::fromFile(path);
    if (!list || !list->isDictionary()) {
        // The list ships with the application; without it every setting reads NO or 0.
        qWarning("Defaults list %s.plist is missing or damaged; no defaults registered", qPrintable(name));
        return {};
    }
    return list->toVariant().toMap();
}

} // namespace

NimbrelAppDelegate::NimbrelAppDelegate(QObject *parent)
    : QObject(parent)
{}

NimbrelAppDelegate::~NimbrelAppDelegate()
{
    if (const auto token = activity())
        platform::ProcessInfo::processInfo().endActivity(*token);
}

void NimbrelAppDelegate::initialize()
{
    static std::once_flag once;
    std::call_once(once, &NimbrelAppDelegate::registerDefaultsAndApplyRules);
}

void NimbrelAppDelegate::registerDefaultsAndApplyRules()
{
    const bool highSierra = isHighSierraUpTo11();
    const QVariantMap defaultsList = readDefaultsList(highSierra ? u"HighSierraUserDefaults"_s : u"UserDefaults"_s);

    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.registerDefaults(defaultsList);
    platform::UserDefaultsController::sharedUserDefaultsController().setInitialValues(defaultsList);

    // The secure level is held to the levels there are.
    Settings::clampStored();

    // The two old promotional switches live on in the new one; nothing here turns it off.
    using Key = Settings::Key;
    if (Settings::boolValue(Key::DisableFW3Alert))
        Settings::setBool(Key::DisableBrindlecoveAlert, true);
    if (Settings::boolValue(Key::DisablePodcastAlert))
        Settings::setBool(Key::DisableBrindlecoveAlert, true);

    if (!isHighSierraUpTo11())
        return;
    Settings::setBool(Key::IsHighSierra, true);
    for (const Key key : {Key::EnableTips, Key::EnableSFX, Key::EnableAnimations}) {
        if (Settings::boolValue(key))
            Settings::setBool(key, false);
    }
}

void NimbrelAppDelegate::applicationDidFinishLaunching()
{
    if (!activity())
        setActivity(platform::ProcessInfo::processInfo().beginActivity(kLaunchActivityOptions, u"App Launched"_s));

    platform::VendorServices::sendTrackingReport();
    platform::VendorServices::setupIssuesController(true);

    for (QAction *item :
         {m_acknowledgementsMenuItem.data(), m_feedbackMenuItem.data(), m_acknowledgementsSeparatorMenuItem.data()}) {
        if (item)
            item->setVisible(true);
    }
}

NimbrelAppDelegate::TerminateReply NimbrelAppDelegate::applicationShouldTerminate()
{
    if (!m_shouldAppQuit)
        return TerminateNow;
    return m_shouldAppQuit() ? TerminateNow : TerminateCancel;
}

bool NimbrelAppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()
        && applicationShouldTerminate() == TerminateCancel) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void NimbrelAppDelegate::testSound()
{
    platform::Sound::play(u"shredding-short"_s);
}

void NimbrelAppDelegate::showFeedbackDialog()
{
    platform::VendorServices::showFeedbackDialog(0, m_window);
}

void NimbrelAppDelegate::checkForUpdates()
{
    checkForApplicationUpdate();
}

void NimbrelAppDelegate::checkForApplicationUpdate()
{
    platform::VendorServices::checkForUpdates(m_window);
}

std::optional<quint64> NimbrelAppDelegate::activity() const
{
    QMutexLocker lock(&m_activityMutex);
    return m_activity;
}

void NimbrelAppDelegate::setActivity(std::optional<quint64> activity)
{
    QMutexLocker lock(&m_activityMutex);
    m_activity = activity;
}
