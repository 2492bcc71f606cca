#pragma once

#include "platform/Bundle.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QTest>

// Registers the bundle's defaults list, as the application does at launch, so that the
// settings read by the controllers under test have their shipped values.
inline void registerBundleDefaults()
{
    QFile file(platform::Bundle::mainBundle().pathForResource(QStringLiteral("UserDefaults"),
                                                              QStringLiteral("plist")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto list = platform::PropertyList::fromData(file.readAll());
    QVERIFY(list);
    platform::UserDefaults::standardUserDefaults().registerDefaults(list->toVariant().toMap());
}
