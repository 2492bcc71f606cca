#include "core/LocationController.h"

#include "core/Keys.h"
#include "platform/system/Image.h"
#include "platform/system/Workspace.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kFinder = u"com.apple.Finder"_s;

// The family the label asks for when it is installed, else the one the font matcher picks
// for it. Without a GUI application there is nothing to ask, so the name stays.
QString installedFamily(const QString &wanted)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return wanted;
    if (QFontDatabase::hasFamily(wanted))
        return wanted;
    return QFontInfo(QFont(wanted)).family();
}

QString span(const QString &text, const QString &family, double points, const QColor &color)
{
    QString escapedFamily = family;
    escapedFamily.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
    return u"<span style=\"font-family:'%1'; font-size:%2pt; color:%3;\">%4</span>"_s.arg(
        escapedFamily, QString::number(points), color.name(), text.toHtmlEscaped());
}

} // namespace

LocationController::LocationController(QObject *parent)
    : QObject(parent)
    , m_locationArrayController(new platform::ArrayController<locationItem>(this))
{
    auto &center = platform::NotificationCenter::defaultCenter();
    center.addObserver(this, keys::AddTargetLocation,
                       [this](const platform::Notification &n) { addTargetLocationWithInfo(n.userInfo); });
    center.addObserver(this, keys::RemoveLocationItem,
                       [this](const platform::Notification &n) { removeLocationItem(n.userInfo); });
    center.addObserver(this, keys::ScanLocations, [this](const platform::Notification &) { checkLocations(); });
}

bool LocationController::nameLessThan(const locationItemPtr &a, const locationItemPtr &b)
{
    return QString::compare(a->locName(), b->locName(), Qt::CaseInsensitive) < 0;
}

void LocationController::awakeFromNib()
{
    m_sorted = true;
    m_locationArrayController->sortUsing(&LocationController::nameLessThan);
}

QString LocationController::labelForLocation(const QString &name, const QString &bundlePath)
{
    QString label = span(name, installedFamily(u"Lucida Grande"_s), 14.0, Qt::black);
    if (!bundlePath.isEmpty()) {
        label += u"<br>"_s;
        label += span(bundlePath, installedFamily(u"Helvetica"_s), 10.0, Qt::gray);
    }
    return label;
}

void LocationController::addTargetLocationWithInfo(const QVariantMap &info)
{
    const QString ident = info.value(keys::Ident).toString();
    const QString name = info.value(keys::TargetName).toString();

    const auto &workspace = platform::Workspace::sharedWorkspace();
    const QString bundlePath = workspace.absolutePathForAppBundleWithIdentifier(ident);
    const bool secondLine = !bundlePath.isEmpty() && ident != kFinder;

    auto row = locationItem::create();
    row->setLocIdentifier(ident);
    row->setLocName(name);
    row->setLocInfo(labelForLocation(name, secondLine ? bundlePath : QString()));
    row->setLocImage(ident == keys::FlashCookies ? platform::imageNamed(u"FlashCookie.icns"_s)
                                                 : workspace.iconForFile(bundlePath));
    row->setLocIsChecked(true);

    const QList<locationItemPtr> rows = m_locationArrayController->arrangedObjects();
    for (const auto &existing : rows)
        if (existing->locName() == name)
            return;

    if (!m_sorted) {
        m_locationArrayController->addObject(row);
        return;
    }
    const auto at = std::upper_bound(rows.begin(), rows.end(), row, &LocationController::nameLessThan);
    m_locationArrayController->insertObject(row, int(at - rows.begin()));
}

void LocationController::removeLocationItem(const QVariantMap &info)
{
    const QString name = info.value(keys::LocString).toString();
    QList<locationItemPtr> doomed;
    for (const auto &row : m_locationArrayController->arrangedObjects())
        if (row->locName() == name)
            doomed.append(row);
    for (const auto &row : doomed)
        m_locationArrayController->removeObject(row);
}

void LocationController::checkLocations()
{
    for (const auto &row : m_locationArrayController->arrangedObjects()) {
        if (!row->isTicked())
            continue;
        platform::NotificationCenter::defaultCenter().post(keys::CheckLocationItems, this,
                                                           keys::locationScan(row->locName(), row->locIdentifier()));
    }
}
