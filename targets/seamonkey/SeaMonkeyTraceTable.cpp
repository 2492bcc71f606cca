#include "targets/seamonkey/SeaMonkeyTraceTable.h"

#include "targets/mozilla/MozillaProfiles.h"
#include "targets/mozilla/MozillaRows.h"
#include "targets/mozilla/MozillaStatements.h"

using namespace Qt::StringLiterals;

namespace seamonkey {

using mozilla::existingRow;
using mozilla::sqlRow;
namespace sql = mozilla::sql;

// SeaMonkey keeps its own profiles.ini beside its Profiles folder; without one, the first
// entry below Profiles whose extension is "default".
namespace {
QString dataFolder()
{
    return tracepaths::home(u"Library/Application Support/SeaMonkey"_s)();
}
} // namespace

QString profilePath()
{
    return mozilla::profileFromIni(dataFolder(), [] {
        return mozilla::firstEntryWithExtension(tracepaths::join(dataFolder(), u"Profiles"_s), u"default"_s);
    });
}

QString cachePath()
{
    const QString caches = tracepaths::home(u"Library/Caches/SeaMonkey"_s)();
    return mozilla::cacheProfileFromIni(dataFolder(), caches, [&caches] {
        return mozilla::firstEntryWithExtension(tracepaths::join(caches, u"Profiles"_s), u"default"_s);
    });
}

QList<Category> categories()
{
    return {
        {u"seaMonkeyBrowsing"_s, u"Browsing History"_s, {}}, {u"seaMonkeyCache"_s, u"Cache"_s, {}},
        {u"seaMonkeyCookies"_s, u"Cookies"_s, {}, false},    {u"seaMonkeyDownloads"_s, u"Download History"_s, {}},
        {u"seaMonkeyForms"_s, u"Form Values"_s, {}},         {u"seaMonkeyLastSession"_s, u"Last Session"_s, {}},
        {u"seaMonkeyDOM"_s, u"DOM Storage"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    auto prof = [](const char *relative) { return mozilla::inProfile(&profilePath, QString::fromLatin1(relative)); };
    const QString file = u"File"_s;
    const QString browsing = u"seaMonkeyBrowsing"_s;
    const QString lastSession = u"seaMonkeyLastSession"_s;
    const auto own = TraceRow::Probe::OwnConnection;
    return {
        mozilla::historyRow(u"Browsing History"_s, browsing, prof("places.sqlite"), own),
        sqlRow(u"URL Autocomplete History"_s, browsing, prof("places.sqlite"), sql::hostCount, sql::hostDelete, own),
        // Offered without a test, but only while there is a profile to hold it.
        traceRow(u"Typed History"_s, browsing, prof("urlbarhistory.sqlite"), file),
        existingRow(u"Cache"_s, u"seaMonkeyCache"_s, mozilla::inProfile(&cachePath, u"Cache"_s), u"Dir"_s),
        sqlRow(u"Cookies"_s, u"seaMonkeyCookies"_s, prof("cookies.sqlite"), sql::cookieCount, sql::cookieDelete),
        sqlRow(u"Download History"_s, u"seaMonkeyDownloads"_s, prof("downloads.sqlite"), sql::downloadCount,
               sql::downloadDelete),
        sqlRow(u"Form Values"_s, u"seaMonkeyForms"_s, prof("formhistory.sqlite"), sql::formValueCount,
               sql::formValueDelete),
        existingRow(u"Last Session Information"_s, lastSession, prof("sessionstore.json"), file),
        existingRow(u"Last Session Information Backup"_s, lastSession, prof("sessionstore.bak"), file),
        // Saved with capitals, unlike the identifier.
        traceRow(u"Open Windows"_s, lastSession,
                 tracepaths::home(u"Library/Saved Application State/org.mozilla.SeaMonkey.savedState"_s), u"Dir"_s),
        existingRow(u"DOM Storage"_s, u"seaMonkeyDOM"_s, prof("webappsstore.sqlite"), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan SeaMonkey"_s}, categories());
}

} // namespace seamonkey
