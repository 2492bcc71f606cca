#pragma once

#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "core/Keys.h"
#include "core/records/targetItem.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"

#include <QFile>
#include <QStringList>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

// One row of a module's table as a test states it.
struct TraceSpec
{
    const char *name;
    const char *key;
    char base; // 'P' profile folder, 'C' cache profile folder, 'H' home folder, 'T' temporary directory
    const char *path;
    const char *kind;
    const char *extra = nullptr; // the key of a "Plist" row, "" for other rows; null: not checked
};

// The module's switches: the master switch, then each category key once, in table order.
inline QStringList switchKeys(const char *scanKey, const QList<TraceSpec> &traces)
{
    QStringList keys{QString::fromLatin1(scanKey)};
    for (const TraceSpec &t : traces) {
        if (!keys.contains(QLatin1String(t.key)))
            keys.append(QString::fromLatin1(t.key));
    }
    return keys;
}

// Names of the notices a request caused, in order.
inline QStringList noticeNames(const QList<CleaningRecorder::Event> &events)
{
    QStringList names;
    for (const CleaningRecorder::Event &e : events)
        names << e.name;
    return names;
}

// One module in a fake home with its application installed, the file and database services
// behind it, every given switch on and a recorder of what its cleaning posts.
template <class Module>
struct ModuleFixture
{
    using Make = std::function<std::unique_ptr<Module>()>;

    FakeHome home;
    FileController files;
    FileController::ResultsArrayController results;
    DatabaseController db;
    std::unique_ptr<Module> made; // made once the fake home is in place
    Module &module;
    CleaningRecorder recorder;
    QList<TraceSpec> table;
    QString profile; // the folders the test expects the module to find
    QString cache;

    // withApplication: install the module's bundle (a module without an application has none).
    ModuleFixture(const char *scanKey, const QList<TraceSpec> &traces, bool withApplication = true)
        : ModuleFixture([] { return std::make_unique<Module>(); }, scanKey, traces, withApplication)
    {}

    // For a test that picks the module at run time: `make` gives it.
    ModuleFixture(const Make &make, const char *scanKey, const QList<TraceSpec> &traces, bool withApplication = true)
        : made(make())
        , module(*made)
        , table(traces)
    {
        if (withApplication)
            home.addApplication(module.identifierString(), module.targetName());
        files.setResultsArrayController(&results);
        module.setFileControl(&files);
        module.setDbControl(&db);
        module.init();
        for (const QString &key : switchKeys(scanKey, table))
            platform::UserDefaults::standardUserDefaults().setBool(true, key);
    }

    QString pathOf(const TraceSpec &t) const
    {
        const QString rel = QString::fromLatin1(t.path);
        switch (t.base) {
        case 'P':
            return profile + QLatin1Char('/') + rel;
        case 'C':
            return cache + QLatin1Char('/') + rel;
        case 'T':
            return home.tmp() + QLatin1Char('/') + rel;
        default:
            return home.path(rel);
        }
    }

    // A file or a folder with one file at every path of the table that holds nothing yet;
    // false when one could not be written.
    bool writeMissingTraces()
    {
        for (int i = 0; i < table.size(); ++i) {
            const QString path = pathOf(table.at(i));
            if (QFile::exists(path))
                continue;
            const bool written = QLatin1String(table.at(i).kind) == QLatin1String("Dir")
                ? FakeHome::writeFileAt(path + u"/entry"_s, QByteArray(600 + i, 'd'))
                : FakeHome::writeFileAt(path, QByteArray(800 + i, 'f'));
            if (!written)
                return false;
        }
        return true;
    }

    void setSwitches(const QStringList &keys, bool on)
    {
        for (const QString &key : keys)
            platform::UserDefaults::standardUserDefaults().setBool(on, key);
    }

    // Scans the module's location as the location list asks for it; answers the result rows.
    QList<resultItemPtr> scan()
    {
        results.removeAllObjects();
        platform::NotificationCenter::defaultCenter().post(
            keys::CheckLocationItems, nullptr, keys::locationScan(module.targetName(), module.identifierString()));
        return results.arrangedObjects();
    }

    QStringList scannedNames()
    {
        QStringList names;
        for (const resultItemPtr &row : scan())
            names.append(row->resultItemName());
        return names;
    }

    // Item full names of the rows the module hands over, before missing paths are dropped.
    QStringList offered()
    {
        QStringList names;
        QObject guard;
        const QString prefix = module.targetName() + QLatin1Char(' ');
        platform::NotificationCenter::defaultCenter().addObserver(
            &guard, keys::CheckTargetFiles, [&names, prefix](const platform::Notification &n) {
                for (const targetItemPtr &item : n.userInfo.value(keys::Targets).value<targetItemList>())
                    names.append(prefix + item->targetItemClassification());
            });
        scan();
        return names;
    }

    // Nothing was set aside for removal.
    bool temporaryFolderEmpty() const
    {
        return platform::FileManager::defaultManager()
            .contentsOfDirectoryAtPath(FileController::temporaryFolderPath())
            .isEmpty();
    }

    // The rows of the table that stay with these keys off, in its order, as
    // "name|path|kind", with "|extra" where the table states the extra info.
    QStringList tableRows(const QStringList &keysOff = {}) const
    {
        QStringList rows;
        for (const TraceSpec &t : table) {
            if (!keysOff.contains(QLatin1String(t.key)))
                rows << describe(t, pathOf(t), QLatin1String(t.kind), QLatin1String(t.extra));
        }
        return rows;
    }

    // What a scan offers, in its order and in the form of tableRows().
    QStringList offeredRows()
    {
        QStringList rows;
        for (const resultItemPtr &row : scan()) {
            const TraceSpec *t = traceNamed(row->resultItemName());
            rows << describe(t ? *t : TraceSpec{}, row->resultItemPath(), row->resultItemType(),
                             row->resultItemExtraInfo(), row->resultItemName());
        }
        return rows;
    }

    // Posts one cleaning request; answers what it caused.
    QList<CleaningRecorder::Event> clean(const QString &itemName, const QString &path)
    {
        recorder.clear();
        postCleaningRequest(module.targetName(), itemName, path);
        return recorder.events;
    }

    // Cleans one row and answers its status ("didClean"), or nothing when the request was
    // not answered by exactly one status.
    std::optional<bool> cleanInPlace(const QString &itemName, const QString &path)
    {
        const QList<CleaningRecorder::Event> events = clean(itemName, path);
        if (events.size() != 1 || events.first().name != CleaningRecorder::status
            || events.first().info.value(u"cleaningItemName"_s).toString() != itemName)
            return std::nullopt;
        return events.first().info.value(u"didClean"_s).toBool();
    }

    // Cleans every row, one request at a time; answers one line per request:
    // "status|item name|path|cleaned or not cleaned|path present or gone" or
    // "removal|item name|reference path|path present or gone", or the notices' names
    // when the request was not answered by exactly one.
    QStringList answersToEachRow(const QList<resultItemPtr> &rows)
    {
        QStringList answers;
        for (const resultItemPtr &row : rows) {
            const QString path = row->resultItemPath();
            const QList<CleaningRecorder::Event> events = clean(row->resultItemName(), path);
            if (events.size() != 1) {
                answers << noticeNames(events).join(QLatin1Char('+'));
                continue;
            }
            const QVariantMap info = events.first().info;
            if (events.first().name == CleaningRecorder::status)
                answers << answer(u"status"_s, info.value(u"cleaningItemName"_s).toString(),
                                  info.value(u"cleaningItemPath"_s).toString(), info.value(u"didClean"_s).toBool(),
                                  QFile::exists(path));
            else
                answers << answer(events.first().name == CleaningRecorder::removal ? u"removal"_s : events.first().name,
                                  info.value(u"removalItemName"_s).toString(),
                                  info.value(u"removalItemRefPath"_s).toString(), std::nullopt, QFile::exists(path));
        }
        return answers;
    }

    // The answers a scan that offered the whole table should get, row by row: SQL rows are
    // cleaned in place, other rows announced for removal (a rewritten list is back at its
    // path, anything else is gone); with `foldersGone`, every row of a profile or cache
    // profile is not cleaned and its path stays gone.
    QStringList expectedAnswers(const QList<resultItemPtr> &rows, bool foldersGone) const
    {
        QStringList answers;
        for (qsizetype i = 0; i < rows.size() && i < table.size(); ++i) {
            const TraceSpec &t = table.at(i);
            const QString name = rows.at(i)->resultItemName();
            const QString path = rows.at(i)->resultItemPath();
            if (foldersGone && t.base != 'H')
                answers << answer(u"status"_s, name, path, false, false);
            else if (QLatin1String(t.kind) == QLatin1String("Sqlite"))
                answers << answer(u"status"_s, name, path, true, true);
            else
                answers << answer(u"removal"_s, name, path, std::nullopt,
                                  QLatin1String(t.kind) == QLatin1String("Plist"));
        }
        return answers;
    }

private:
    const TraceSpec *traceNamed(const QString &name) const
    {
        for (const TraceSpec &t : table) {
            if (name == QLatin1String(t.name))
                return &t;
        }
        return nullptr;
    }

    // extra: compared only where the table states it.
    static QString describe(const TraceSpec &t, const QString &path, const QString &kind, const QString &extra,
                            const QString &name = QString())
    {
        return (name.isNull() ? QString::fromLatin1(t.name) : name) + QLatin1Char('|') + path + QLatin1Char('|') + kind
            + (t.extra ? QLatin1Char('|') + extra : QString());
    }

    static QString answer(const QString &notice, const QString &name, const QString &path, std::optional<bool> cleaned,
                          bool present)
    {
        QStringList parts{notice, name, path};
        if (cleaned)
            parts << (*cleaned ? u"cleaned"_s : u"not cleaned"_s);
        parts << (present ? u"present"_s : u"gone"_s);
        return parts.join(QLatin1Char('|'));
    }
};
