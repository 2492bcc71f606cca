#include "core/Settings.h"

#include "platform/UserDefaults.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

using Key = Settings::Key;

// Made on first use, so that other files' start-up code may already read it.
const std::array<Settings::Entry, 23> &rows()
{
    static const std::array<Settings::Entry, 23> table{{
        {Key::EnableSecureDelete, u"enableSecureDelete"_s, QMetaType::Bool, false, {}},
        {Key::SecureDeleteLevel, u"secureDeleteLevel"_s, QMetaType::LongLong, qint64(0),
         std::pair<qint64, qint64>(qint64(SecureLevel::Simple), qint64(SecureLevel::Gutmann))},
        {Key::EnableTips, u"enableTips"_s, QMetaType::Bool, true, {}},
        {Key::EnableSFX, u"enableSFX"_s, QMetaType::Bool, true, {}},
        {Key::EnableAnimations, u"enableAnimations"_s, QMetaType::Bool, true, {}},
        {Key::FirstLaunch, u"FirstLaunch"_s, QMetaType::Bool, true, {}},
        {Key::RunCount, u"runCount"_s, QMetaType::LongLong, qint64(0), {}},
        {Key::LastScanCount, u"lastScanCount"_s, QMetaType::LongLong, qint64(0), {}},
        // The private folders a run set items aside in, until they are swept.
        {Key::SetAsideFolders, u"setAsideFolders"_s, QMetaType::QVariantList, QVariant(), {}},
        {Key::SetAsideMarker, u"setAsideMarker"_s, QMetaType::QString, QVariant(), {}},
        {Key::SetAsideLeftInPlace, u"setAsideLeftInPlace"_s, QMetaType::QVariantList, QVariant(), {}},
        // Stores whose side files a secure delete has still to overwrite, until it has.
        {Key::PendingSideFileWipes, u"pendingSideFileWipes"_s, QMetaType::QVariantList, QVariant(), {}},
        {Key::CookieAlertSuppress, u"CookieAlertSuppress"_s, QMetaType::Bool, false, {}},
        {Key::RecentFolderAlertSuppress, u"recentFolderAlertSuppress"_s, QMetaType::Bool, false, {}},
        {Key::VersionIsRated, u"versionIsRated"_s, QMetaType::Bool, false, {}},
        {Key::RatedVersionNumber, u"ratedVersionNumber"_s, QMetaType::QString, QVariant(), {}},
        {Key::DeclinedRating, u"declinedRating"_s, QMetaType::Bool, false, {}},
        {Key::DisableBrindlecoveAlert, u"disableBrindlecoveAlert"_s, QMetaType::Bool, false, {}},
        {Key::DisableFW3Alert, u"disableFW3Alert"_s, QMetaType::Bool, false, {}},
        {Key::DisablePodcastAlert, u"disablePodcastAlert"_s, QMetaType::Bool, false, {}},
        {Key::IsHighSierra, u"isHighSierra"_s, QMetaType::Bool, false, {}},
        {Key::LastAlertTime, u"QZLastAlertTime"_s, QMetaType::QDateTime, QVariant(), {}},
        {Key::SocialHost, u"socialHost"_s, QMetaType::QString, u"https://social.example.com"_s, {}},
    }};
    return table;
}

qint64 held(const Settings::Entry &row, qint64 value)
{
    return row.range ? std::clamp(value, row.range->first, row.range->second) : value;
}

platform::UserDefaults &defaults()
{
    return platform::UserDefaults::standardUserDefaults();
}

} // namespace

std::span<const Settings::Entry> Settings::table()
{
    return rows();
}

const Settings::Entry &Settings::entry(Key key)
{
    // The rows are in the order of the enumeration.
    const Entry &row = rows().at(size_t(key));
    Q_ASSERT(row.key == key);
    return row;
}

const QString &Settings::name(Key key)
{
    return entry(key).name;
}

QVariant Settings::value(Key key)
{
    return defaults().objectForKey(name(key));
}

bool Settings::boolValue(Key key)
{
    return defaults().boolForKey(name(key));
}

qint64 Settings::integer(Key key)
{
    return held(entry(key), defaults().integerForKey(name(key)));
}

QString Settings::string(Key key)
{
    return defaults().stringForKey(name(key));
}

void Settings::setValue(Key key, const QVariant &value)
{
    defaults().setObject(value, name(key));
}

void Settings::setBool(Key key, bool value)
{
    defaults().setBool(value, name(key));
}

void Settings::setInteger(Key key, qint64 value)
{
    defaults().setInteger(held(entry(key), value), name(key));
}

SecureLevel Settings::secureLevel()
{
    return SecureLevel(integer(Key::SecureDeleteLevel));
}

void Settings::setSecureLevel(SecureLevel level)
{
    setInteger(Key::SecureDeleteLevel, qint64(level));
}

QString Settings::toolFlag(SecureLevel level)
{
    switch (level) {
    case SecureLevel::Simple:
        return u"-s"_s;
    case SecureLevel::Medium:
        return u"-m"_s;
    case SecureLevel::Gutmann:
        break;
    }
    return {};
}

void Settings::clampStored()
{
    for (const Entry &row : rows()) {
        if (!row.range)
            continue;
        const qint64 stored = defaults().integerForKey(row.name);
        if (held(row, stored) != stored)
            defaults().setInteger(held(row, stored), row.name);
    }
}
