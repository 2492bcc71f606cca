#include "targets/preview/PreviewTraceTable.h"

#include "targets/base/RecentLists.h"

namespace preview {

namespace {
const QString recentKey = QStringLiteral("previewRecentItems");
const QString sfl = QStringLiteral("Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.ApplicationRecentDocuments/");
} // namespace

QList<Category> categories()
{
    return {{recentKey, QStringLiteral("Recent Items"), {}}};
}

QList<TraceRow> traceRows()
{
    return {
        recentlists::recentDocumentsRow(recentKey, QStringLiteral("Library/Preferences/com.apple.Preview.LSSharedFileList.plist")),
        recentlists::sharedFileListRow(QStringLiteral("Legacy Recent Items Shared File List"), recentKey, sfl + QStringLiteral("com.apple.preview.sfl")),
        recentlists::sharedFileListRow(QStringLiteral("Recent Items Shared File List"), recentKey, sfl + QStringLiteral("com.apple.preview.sfl2")),
        traceRow(QStringLiteral("Open Windows"), recentKey, tracepaths::home(QStringLiteral("Library/Containers/com.apple.Preview/Data/Library/Saved Application State/com.apple.Preview.savedState")), QStringLiteral("Dir")),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan Preview")}, categories());
}

} // namespace preview
