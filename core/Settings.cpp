#include "core/Settings.h"

#include "platform/system/UserDefaults.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <type_traits>
#include <variant>

using namespace Qt::StringLiterals;

namespace {

using Key = Settings::Key;
using Control = Settings::Control;

// One row as the compiler sees it, so that the table's size and order are checked at build
// time; the entries handed out are made from these on first use.
struct Row
{
    Key key;
    const char *name;
    QMetaType::Type type;
    std::variant<std::monostate, bool, qint64, const char *> fallback; // monostate: none
    std::optional<std::pair<qint64, qint64>> range = {};
    Control control = Control::None;
};

constexpr std::pair<qint64, qint64> levels{qint64(SecureLevel::Simple), qint64(SecureLevel::Gutmann)};

constexpr Row table[] = {
    {Key::EnableSecureDelete, "enableSecureDelete", QMetaType::Bool, false, {}, Control::CheckBox},
    {Key::SecureDeleteLevel, "secureDeleteLevel", QMetaType::LongLong, qint64(0), levels},
    {Key::EnableTips, "enableTips", QMetaType::Bool, true, {}, Control::CheckBox},
    {Key::EnableSFX, "enableSFX", QMetaType::Bool, true, {}, Control::CheckBox},
    {Key::EnableAnimations, "enableAnimations", QMetaType::Bool, true, {}, Control::CheckBox},
    {Key::FirstLaunch, "FirstLaunch", QMetaType::Bool, true},
    {Key::RunCount, "runCount", QMetaType::LongLong, qint64(0)},
    {Key::LastScanCount, "lastScanCount", QMetaType::LongLong, qint64(0)},
    // The private folders a run set items aside in, until they are swept.
    {Key::SetAsideFolders, "setAsideFolders", QMetaType::QVariantList, {}},
    {Key::SetAsideMarker, "setAsideMarker", QMetaType::QString, {}},
    {Key::SetAsideLeftInPlace, "setAsideLeftInPlace", QMetaType::QVariantList, {}},
    // Stores whose side files a secure delete has still to overwrite, until it has.
    {Key::PendingSideFileWipes, "pendingSideFileWipes", QMetaType::QVariantList, {}},
    {Key::CookieAlertSuppress, "CookieAlertSuppress", QMetaType::Bool, false},
    {Key::RecentFolderAlertSuppress, "recentFolderAlertSuppress", QMetaType::Bool, false},
    {Key::VersionIsRated, "versionIsRated", QMetaType::Bool, false},
    {Key::RatedVersionNumber, "ratedVersionNumber", QMetaType::QString, {}},
    {Key::DeclinedRating, "declinedRating", QMetaType::Bool, false},
    {Key::DisableBrindlecoveAlert, "disableBrindlecoveAlert", QMetaType::Bool, false},
    {Key::DisableFW3Alert, "disableFW3Alert", QMetaType::Bool, false},
    {Key::DisablePodcastAlert, "disablePodcastAlert", QMetaType::Bool, false},
    {Key::IsHighSierra, "isHighSierra", QMetaType::Bool, false},
    {Key::LastAlertTime, "QZLastAlertTime", QMetaType::QDateTime, {}},
    // The maker's sites, registered so that tests can point them at a local server.
    {Key::SiteHost, "siteHost", QMetaType::QString, "https://www.example.com"},
    {Key::DownloadHost, "downloadHost", QMetaType::QString, "https://download.example.com"},
    {Key::RatingHost, "ratingHost", QMetaType::QString, "https://rating.example.com"},
    {Key::SocialHost, "socialHost", QMetaType::QString, "https://social.example.com"},
};

static_assert(std::size(table) == size_t(Key::Count), "every Settings::Key needs its row in the table");

constexpr bool rowsInKeyOrder()
{
    for (size_t i = 0; i < std::size(table); ++i) {
        if (table[i].key != Key(i))
            return false;
    }
    return true;
}
static_assert(rowsInKeyOrder(), "the table's rows follow the order of Settings::Key");

QVariant fallbackValue(const Row &row)
{
    return std::visit(
        [](const auto &value) -> QVariant {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return QVariant();
            else if constexpr (std::is_same_v<T, const char *>)
                return QString::fromLatin1(value);
            else
                return QVariant(value);
        },
        row.fallback);
}

// Made on first use, so that other files' start-up code may already read it.
const std::array<Settings::Entry, size_t(Key::Count)> &rows()
{
    static const auto entries = [] {
        std::array<Settings::Entry, size_t(Key::Count)> made;
        for (size_t i = 0; i < made.size(); ++i) {
            const Row &row = table[i];
            made[i] = {row.key, QString::fromLatin1(row.name), row.type, fallbackValue(row), row.range, row.control};
        }
        return made;
    }();
    return entries;
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
    // The rows are in the order of the enumeration (checked when the table is built).
    return rows().at(size_t(key));
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
