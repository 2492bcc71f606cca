#include "targets/preview/PreviewTraceTable.h"

#include "targets/base/RecentLists.h"

using namespace Qt::StringLiterals;

namespace preview {

namespace {
const QString recentKey = u"previewRecentItems"_s;
const QString sfl =
    u"Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.ApplicationRecentDocuments/"_s;
} // namespace

QList<Category> categories()
{
    return {{recentKey, u"Recent Items"_s, {}}};
}

QList<TraceRow> traceRows()
{
    return {
        recentlists::recentDocumentsRow(recentKey, u"Library/Preferences/com.apple.Preview.LSSharedFileList.plist"_s),
        recentlists::sharedFileListRow(u"Legacy Recent Items Shared File List"_s, recentKey,
                                       sfl + u"com.apple.preview.sfl"_s),
        recentlists::sharedFileListRow(u"Recent Items Shared File List"_s, recentKey,
                                       sfl + u"com.apple.preview.sfl2"_s),
        traceRow(
            u"Open Windows"_s, recentKey,
            tracepaths::home(
                u"Library/Containers/com.apple.Preview/Data/Library/Saved Application State/com.apple.Preview.savedState"_s),
            u"Dir"_s),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan Preview"_s}, categories());
}

} // namespace preview
