#pragma once

#include "ModuleFixture.h"
#include "SystemLists.h"

#include "targets/quicktime/QuickTimeController.h"

namespace quicktimefixture {

#define CT "Library/Containers/com.apple.QuickTimePlayerX/Data/Library/"
#define SFL                                                                                                            \
    "Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.ApplicationRecentDocuments/"
inline const QList<TraceSpec> traces = {
    {"QuickTime Cache", "quickTimeCache", 'H', "Library/Caches/QuickTime/downloads", "Dir"},
    {"QuickTime Download Quarantine History", "quickTimeQuarantineEvents", 'H',
     CT "Preferences/com.apple.LaunchServices.QuarantineEventsV2", "Sqlite"},
    {"QuickTime Recent Items", "quickTimeRecentItems", 'H',
     "Library/Preferences/com.apple.QuickTimePlayerX.LSSharedFileList.plist", "Plist"},
    {"QuickTime Legacy Recent Items Shared File List", "quickTimeRecentItems", 'H',
     SFL "com.apple.quicktimeplayerx.sfl", "File"},
    {"QuickTime Recent Items Shared File List", "quickTimeRecentItems", 'H', SFL "com.apple.quicktimeplayerx.sfl2",
     "File"},
    {"QuickTime Recent URLs", "quickTimeRecentItems", 'H', CT "Preferences/com.apple.QuickTimePlayerX.plist", "Plist"},
    {"QuickTime Legacy Recent URLs", "quickTimeRecentItems", 'H',
     "Library/Preferences/com.apple.QuickTimePlayerX.plist", "Plist"},
    {"QuickTime Open Windows", "quickTimeRecentItems", 'H',
     CT "Saved Application State/com.apple.QuickTimePlayerX.savedState", "Dir"},
};
#undef CT
#undef SFL
enum Row { Cache, Quarantine, RecentItems, LegacySfl, Sfl, RecentURLs, LegacyRecentURLs, OpenWindows };

inline QVariantMap playerPrefs(const QVariant &urls)
{
    QVariantMap root = systemlists::typedNodes();
    if (urls.isValid())
        root.insert(u"MGRecentURLPropertyLists"_s, urls);
    root.insert(u"MGPlaybackVolume"_s, 0.75);
    root.insert(u"NSWindow Frame MGPlayer"_s, u"100 200 640 360 0 0 1440 877 "_s);
    return root;
}

inline QVariantList recentURLs()
{
    return {QVariantMap{{u"URL"_s, u"https://media.example.com/talk.mov"_s},
                        {u"Bookmark"_s, systemlists::bookmark(u"talk.mov"_s)}}};
}

struct Fixture : ModuleFixture<QuickTimeController>
{
    static constexpr const char *scanKey = "scanQuickTime";
    Fixture()
        : ModuleFixture(scanKey, traces)
    {}

    QString pathOf(int row) const { return ModuleFixture::pathOf(traces[row]); }

    bool writeEveryTrace()
    {
        for (int i : {Cache, OpenWindows}) {
            if (!FakeHome::writeFileAt(pathOf(i) + u"/one"_s, QByteArray(300 + i, 'd'))
                || !FakeHome::writeFileAt(pathOf(i) + u"/sub/two"_s, QByteArray(5000, 'e')))
                return false;
        }
        return home.createSqlite(pathOf(Quarantine), systemlists::quarantineDatabase(3))
            && home.writePlist(pathOf(RecentItems),
                               systemlists::sharedFileListPrefs(systemlists::customListItems({u"clip.mov"_s})))
            && FakeHome::writeFileAt(pathOf(LegacySfl), "sfl") && FakeHome::writeFileAt(pathOf(Sfl), "sfl2")
            && home.writePlist(pathOf(RecentURLs), playerPrefs(recentURLs()))
            && home.writePlist(pathOf(LegacyRecentURLs), playerPrefs(recentURLs()),
                               platform::PropertyList::Format::Xml);
    }

    void clean(int row) { ModuleFixture::clean(QString::fromLatin1(traces[row].name), pathOf(row)); }
};

} // namespace quicktimefixture
