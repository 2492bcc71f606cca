#include "targets/seamonkey/SeaMonkeyTraceTable.h"

#include "targets/mozilla/MozillaProfiles.h"
#include "targets/mozilla/MozillaRows.h"
#include "targets/mozilla/MozillaStatements.h"

namespace seamonkey {

using mozilla::existingRow;
using mozilla::sqlRow;
namespace sql = mozilla::sql;

QString profilePath()
{
    return mozilla::firstEntryWithExtension(
        tracepaths::home(QStringLiteral("Library/Application Support/SeaMonkey/Profiles"))(),
        QStringLiteral("default"));
}

QString cachePath()
{
    return mozilla::firstEntryWithExtension(
        tracepaths::home(QStringLiteral("Library/Caches/SeaMonkey/Profiles"))(),
        QStringLiteral("default"));
}

QList<Category> categories()
{
    return {
        {QStringLiteral("seaMonkeyBrowsing"), QStringLiteral("Browsing History"), {}},
        {QStringLiteral("seaMonkeyCache"), QStringLiteral("Cache"), {}},
        {QStringLiteral("seaMonkeyCookies"), QStringLiteral("Cookies"), {}},
        {QStringLiteral("seaMonkeyDownloads"), QStringLiteral("Download History"), {}},
        {QStringLiteral("seaMonkeyForms"), QStringLiteral("Form Values"), {}},
        {QStringLiteral("seaMonkeyLastSession"), QStringLiteral("Last Session"), {}},
        {QStringLiteral("seaMonkeyDOM"), QStringLiteral("DOM Storage"), {}},
    };
}

QList<TraceRow> traceRows()
{
    auto prof = [](const char *relative) {
        return mozilla::inProfile(&profilePath, QString::fromLatin1(relative));
    };
    const QString file = QStringLiteral("File");
    const QString browsing = QStringLiteral("seaMonkeyBrowsing");
    const QString lastSession = QStringLiteral("seaMonkeyLastSession");
    const auto own = TraceRow::Probe::OwnConnection;
    return {
        mozilla::historyRow(QStringLiteral("Browsing History"), browsing, prof("places.sqlite"), own),
        sqlRow(QStringLiteral("URL Autocomplete History"), browsing, prof("places.sqlite"), sql::hostCount, sql::hostDelete, own),
        // Offered without a test, but only while there is a profile to hold it.
        traceRow(QStringLiteral("Typed History"), browsing, prof("urlbarhistory.sqlite"), file),
        existingRow(QStringLiteral("Cache"), QStringLiteral("seaMonkeyCache"), mozilla::inProfile(&cachePath, QStringLiteral("Cache")), QStringLiteral("Dir")),
        sqlRow(QStringLiteral("Cookies"), QStringLiteral("seaMonkeyCookies"), prof("cookies.sqlite"), sql::cookieCount, sql::cookieDelete),
        sqlRow(QStringLiteral("Download History"), QStringLiteral("seaMonkeyDownloads"), prof("downloads.sqlite"), sql::downloadCount, sql::downloadDelete),
        sqlRow(QStringLiteral("Form Values"), QStringLiteral("seaMonkeyForms"), prof("formhistory.sqlite"), sql::formValueCount, sql::formValueDelete),
        existingRow(QStringLiteral("Last Session Information"), lastSession, prof("sessionstore.json"), file),
        existingRow(QStringLiteral("Last Session Information Backup"), lastSession, prof("sessionstore.bak"), file),
        // Saved with capitals, unlike the identifier.
        traceRow(QStringLiteral("Open Windows"), lastSession, tracepaths::home(QStringLiteral("Library/Saved Application State/org.mozilla.SeaMonkey.savedState")), QStringLiteral("Dir")),
        existingRow(QStringLiteral("DOM Storage"), QStringLiteral("seaMonkeyDOM"), prof("webappsstore.sqlite"), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan SeaMonkey")}, categories());
}

} // namespace seamonkey
