#pragma once

#include "core/records/locationItem.h"
#include "platform/system/ArrayController.h"
#include "platform/system/NotificationCenter.h"

#include <QObject>
#include <QString>

// The list of scan locations shown in the main window: one row per installed module whose
// master switch is on. Modules offer themselves (keys::AddTargetLocation), the settings withdraw
// a row (keys::RemoveLocationItem), and a scan (keys::ScanLocations) asks the module of each
// checked row, in the displayed order, to scan.
class LocationController : public QObject
{
    Q_OBJECT
public:
    explicit LocationController(QObject *parent = nullptr);

    platform::ArrayController<locationItem> *locationArrayController() const { return m_locationArrayController; }

    // Sorts the list by name, without regard to case; later offers are placed by that order.
    void awakeFromNib();

    void checkLocations();
    void addTargetLocationWithInfo(const QVariantMap &info);
    void removeLocationItem(const QVariantMap &info);

    // The two-line label as rich text: the name in "Lucida Grande" 14 black, then, when
    // bundlePath is not empty, a line break and the path in "Helvetica" 10 gray. Fonts that
    // are not installed are replaced by the nearest installed family.
    static QString labelForLocation(const QString &name, const QString &bundlePath);

private:
    static bool nameLessThan(const locationItemPtr &a, const locationItemPtr &b);

    platform::ArrayController<locationItem> *m_locationArrayController;
    bool m_sorted = false;
};
