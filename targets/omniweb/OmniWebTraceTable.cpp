#include "targets/omniweb/OmniWebTraceTable.h"

namespace omniweb {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {QStringLiteral("omniWebBrowsing"), QStringLiteral("Browsing History"), {}},
        {QStringLiteral("omniWebCache"), QStringLiteral("Cache"), {}},
        {QStringLiteral("omniWebCookies"), QStringLiteral("Cookies"), {}},
        {QStringLiteral("omniWebDownloads"), QStringLiteral("Download History"), {}},
        {QStringLiteral("omniWebForms"), QStringLiteral("Form Values"), {}},
        {QStringLiteral("omniWebWebpageIcons"), QStringLiteral("Webpage Icons"), {}},
    };
}

static std::function<QString()> support(const QString &relative)
{
    return home(QStringLiteral("Library/Application Support/OmniWeb 5/") + relative);
}

QList<TraceRow> traceRows()
{
    const QString file = QStringLiteral("File");
    const QString browsing = QStringLiteral("omniWebBrowsing");
    // Downloads and form values are two keys of one list; cleaning both in one run rewrites
    // it twice, and each rewrite reads what the one before left.
    const auto prefs = home(QStringLiteral("Library/Preferences/com.omnigroup.OmniWeb5.plist"));
    return {
        traceRow(QStringLiteral("Browsing History"), browsing, support(QStringLiteral("History.plist")), file),
        traceRow(QStringLiteral("History Index"), browsing, support(QStringLiteral("HistoryIndex.ox")), file),
        traceRow(QStringLiteral("History Index Log"), browsing, support(QStringLiteral("HistoryIndex.ox.log")), file),
        traceRow(QStringLiteral("Cache"), QStringLiteral("omniWebCache"), home(QStringLiteral("Library/Caches/com.omnigroup.OmniWeb5/WebKitCache/Cache.db")), file),
        traceRow(QStringLiteral("Cookies"), QStringLiteral("omniWebCookies"), support(QStringLiteral("Cookies.xml")), file),
        keyRewriteRow(QStringLiteral("Download History"), QStringLiteral("omniWebDownloads"), prefs, QStringLiteral("OWPersistentDownloadedFileFossils")),
        keyRewriteRow(QStringLiteral("Form Values"), QStringLiteral("omniWebForms"), prefs, QStringLiteral("OWFormAutoFillSets")),
        traceRow(QStringLiteral("Webpage Icons"), QStringLiteral("omniWebWebpageIcons"), support(QStringLiteral("Icons/WebpageIcons.db")), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan OmniWeb")}, categories());
}

} // namespace omniweb
