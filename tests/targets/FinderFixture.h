#pragma once

#include "ModuleFixture.h"
#include "SystemLists.h"

#include "core/RestartTool.h"
#include "platform/system/AppleScript.h"
#include "platform/system/MainThread.h"
#include "platform/system/Task.h"
#include "targets/finder/FinderController.h"

namespace finderfixture {

#define SFL "Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList."
inline const QList<TraceSpec> traces = {
    {"Finder Recent Items", "finderRecentItems", 'H', "Library/Preferences/com.apple.recentitems.plist", "Plist"},
    {"Finder Legacy Recent Applications Shared File List", "finderRecentItems", 'H', SFL "RecentApplications.sfl",
     "File"},
    {"Finder Legacy Recent Documents Shared File List", "finderRecentItems", 'H', SFL "RecentDocuments.sfl", "File"},
    {"Finder Legacy Recent Hosts Shared File List", "finderRecentItems", 'H', SFL "RecentHosts.sfl", "File"},
    {"Finder Legacy Recent Servers Shared File List", "finderRecentItems", 'H', SFL "RecentServers.sfl", "File"},
    {"Finder Recent Applications Shared File List", "finderRecentItems", 'H', SFL "RecentApplications.sfl2", "File"},
    {"Finder Recent Documents Shared File List", "finderRecentItems", 'H', SFL "RecentDocuments.sfl2", "File"},
    {"Finder Recent Hosts Shared File List", "finderRecentItems", 'H', SFL "RecentHosts.sfl2", "File"},
    {"Finder Recent Servers Shared File List", "finderRecentItems", 'H', SFL "RecentServers.sfl2", "File"},
    {"Finder Legacy Download Quarantine History", "finderQuarantineEvents", 'H',
     "Library/Preferences/com.apple.LaunchServices.QuarantineEvents", "Sqlite"},
    {"Finder Download Quarantine History", "finderQuarantineEvents", 'H',
     "Library/Preferences/com.apple.LaunchServices.QuarantineEventsV2", "Sqlite"},
    {"Finder Recent Folders", "finderRecentFolders", 'H', "Library/Preferences/com.apple.finder.plist", "Plist"},
};
#undef SFL
inline const int traceCount = int(traces.size());
inline const QString recentItemsPath = QString::fromLatin1(traces[0].path);
inline const QString finderPath = QString::fromLatin1(traces[11].path);

inline const QString script = u"tell application \"System Events\" to tell appearance preferences to "_s;

struct Launch
{
    QString path;
    QStringList arguments;
    bool onMainThread;
};

struct Fixture : ModuleFixture<FinderController>
{
    static constexpr const char *scanKey = "scanFinder";
    FinderController &finder = module;
    QStringList scripts;
    QList<Launch> launches;
    QString tool;

    Fixture()
        : ModuleFixture(scanKey, traces)
    {
        // Nothing here may ever reach a real killall.
        tool = home.path(u"bin/restart-stand-in"_s);
        // It leaves one finished file per run, named after its process.
        FakeHome::writeFileAt(tool,
                              "#!/bin/sh\nprintf '%s\\n' \"$*\" > \"$0.part.$$\" && mv \"$0.part.$$\" \"$0.ran.$$\"\n");
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        RestartTool::setToolPath(tool);
        platform::Task::setLaunchRecorder([this](const QString &path, const QStringList &arguments) {
            launches.append({path, arguments, platform::MainThread::isMainThread()});
        });
        answerLimits({u"10"_s, u"20"_s, u"5"_s});
    }
    ~Fixture()
    {
        RestartTool::setToolPath(u"/usr/bin/killall"_s);
        platform::Task::setLaunchRecorder({});
        platform::AppleScript::setRunner({});
    }

    // The scripted stand-in for System Events: the three get scripts answer these values
    // (an empty one gives no result); set scripts give no result.
    void answerLimits(const QStringList &values)
    {
        platform::AppleScript::setRunner([this, values](const QString &source) -> std::optional<QString> {
            scripts.append(source);
            const QStringList lists = {u"applications"_s, u"documents"_s, u"servers"_s};
            for (int i = 0; i < 3; ++i) {
                if (source == script + u"get recent %1 limit"_s.arg(lists[i]) && !values[i].isEmpty())
                    return values[i];
            }
            return std::nullopt;
        });
    }

    QString pathOf(int row) const { return ModuleFixture::pathOf(traces[row]); }

    bool writeEveryTrace(platform::PropertyList::Format format = platform::PropertyList::Format::Binary)
    {
        for (int i = 0; i < traceCount; ++i) {
            const QString kind = QString::fromLatin1(traces[i].kind);
            if (kind == u"File"_s && !FakeHome::writeFileAt(pathOf(i), QByteArray(700 + i, 's')))
                return false;
            if (kind == u"Sqlite"_s && !home.createSqlite(pathOf(i), systemlists::quarantineDatabase(i - 7)))
                return false;
        }
        return home.writePlist(recentItemsPath, systemlists::recentItems(), format)
            && home.writePlist(
                finderPath, systemlists::finderPrefs(systemlists::recentFolders({u"Downloads"_s, u"Taxes"_s})), format);
    }

    void clean(int row) { ModuleFixture::clean(QString::fromLatin1(traces[row].name), pathOf(row)); }
};

} // namespace finderfixture
