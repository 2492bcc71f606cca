#pragma once

#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"
#include "platform/system/UserDefaults.h"

#include <QFile>

using namespace Qt::StringLiterals;

// Registers the bundle's defaults list, as the application does at launch, so that the
// settings read by the controllers under test have their shipped values; false when the
// list cannot be read.
[[nodiscard]] inline bool registerBundleDefaults()
{
    QFile file(platform::Bundle::mainBundle().pathForResource(u"UserDefaults"_s, u"plist"_s));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const auto list = platform::PropertyList::fromData(file.readAll());
    if (!list)
        return false;
    platform::UserDefaults::standardUserDefaults().registerDefaults(list->toVariant().toMap());
    return true;
}
