#pragma once

#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "core/records/targetItem.h"
#include "platform/FileManager.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"

#include <QFile>
#include <QStringList>
#include <QTest>

#include <optional>

// One row of a module's table as a test states it.
struct TraceSpec {
    const char *name;
    const char *key;
    char base; // 'P' profile folder, 'C' cache profile folder, 'H' home folder
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

// Rows of a "keysOff" column: every key on, each category key off alone, every key off.
inline void addKeysOffRows(const QStringList &keys)
{
    QTest::addColumn<QStringList>("keysOff");
    QTest::newRow("every key on") << QStringList{};
    const QStringList categories = keys.mid(1);
    for (const QString &key : categories)
        QTest::newRow(qPrintable(key + QStringLiteral(" off"))) << QStringList{key};
    QTest::newRow("every key off") << categories;
}

// One module in a fake home with its application installed, the file and database services
// behind it, every given switch on and a recorder of what its cleaning posts.
template <class Module>
struct ModuleFixture {
    FakeHome home;
    FileController files;
    FileController::ResultsArrayController results;
    DatabaseController db;
    Module module;
    CleaningRecorder recorder;
    QList<TraceSpec> table;
    QString profile; // the folders the test expects the module to find
    QString cache;

    // withApplication: install the module's bundle (a module without an application has none).
    ModuleFixture(const char *scanKey, const QList<TraceSpec> &traces, bool withApplication = true)
        : table(traces)
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
        case 'P': return profile + QLatin1Char('/') + rel;
        case 'C': return cache + QLatin1Char('/') + rel;
        default: return home.path(rel);
        }
    }

    // A file or a folder with one file at every path of the table that holds nothing yet.
    void writeMissingTraces()
    {
        for (int i = 0; i < table.size(); ++i) {
            const QString path = pathOf(table.at(i));
            if (QFile::exists(path))
                continue;
            if (QLatin1String(table.at(i).kind) == QLatin1String("Dir"))
                QVERIFY(FakeHome::writeFileAt(path + QStringLiteral("/entry"), QByteArray(600 + i, 'd')));
            else
                QVERIFY(FakeHome::writeFileAt(path, QByteArray(800 + i, 'f')));
        }
    }

    // Scans the module's location as the location list asks for it; answers the result rows.
    QList<resultItemPtr> scan()
    {
        results.removeAllObjects();
        platform::NotificationCenter::defaultCenter().post(
            QStringLiteral("CheckLocationItems"), nullptr,
            {{QStringLiteral("targName"), module.targetName()},
             {QStringLiteral("targIdentifier"), module.identifierString()}});
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
            &guard, QStringLiteral("CheckTargetFiles"), [&names, prefix](const platform::Notification &n) {
                for (const targetItemPtr &item : n.userInfo.value(QStringLiteral("targets")).value<targetItemList>())
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

    // With these keys off and every trace present, a scan offers the other rows of the
    // table in its order, each with its path, kind and extra info.
    void verifyOffered(const QStringList &keysOff)
    {
        for (const QString &key : keysOff)
            platform::UserDefaults::standardUserDefaults().setBool(false, key);
        QStringList expected, names;
        QList<const char *> extras; // compared where the table states them
        for (const TraceSpec &t : table) {
            if (keysOff.contains(QLatin1String(t.key)))
                continue;
            expected << QString::fromLatin1(t.name) + QLatin1Char('|') + pathOf(t) + QLatin1Char('|') + QLatin1String(t.kind)
                            + (t.extra ? QLatin1Char('|') + QLatin1String(t.extra) : QString());
            extras << t.extra;
        }
        const QList<resultItemPtr> rows = scan();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const resultItemPtr &row = rows.at(i);
            names << row->resultItemName() + QLatin1Char('|') + row->resultItemPath() + QLatin1Char('|') + row->resultItemType()
                         + (i < extras.size() && extras.at(i) ? QLatin1Char('|') + row->resultItemExtraInfo() : QString());
        }
        QCOMPARE(names, expected);
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
            || events.first().info.value(QStringLiteral("cleaningItemName")).toString() != itemName)
            return std::nullopt;
        return events.first().info.value(QStringLiteral("didClean")).toBool();
    }

    // Cleans every row of a scan that offered the whole table, one request at a time: each
    // is answered exactly once, SQL rows in place, other rows by a removal announcement (a
    // rewritten list is back at its path, anything else is gone);
    // with `foldersGone`, every row of a profile or cache profile is answered not cleaned
    // with the request's path.
    void verifyEveryRequestAnsweredOnce(const QList<resultItemPtr> &rows, bool foldersGone)
    {
        QCOMPARE(rows.size(), table.size());
        for (int i = 0; i < rows.size(); ++i) {
            const QString name = rows.at(i)->resultItemName();
            const QString path = rows.at(i)->resultItemPath();
            const QList<CleaningRecorder::Event> events = clean(name, path);
            QCOMPARE(events.size(), 1);
            const QVariantMap info = events.first().info;
            if (foldersGone && table.at(i).base != 'H') {
                QCOMPARE(events.first().name, CleaningRecorder::status);
                QCOMPARE(info.value(QStringLiteral("cleaningItemPath")).toString(), path);
                QCOMPARE(info.value(QStringLiteral("didClean")).toBool(), false);
            } else if (QLatin1String(table.at(i).kind) == QLatin1String("Sqlite")) {
                QCOMPARE(events.first().name, CleaningRecorder::status);
                QCOMPARE(info.value(QStringLiteral("cleaningItemName")).toString(), name);
                QCOMPARE(info.value(QStringLiteral("cleaningItemPath")).toString(), path);
                QCOMPARE(info.value(QStringLiteral("didClean")).toBool(), true);
                QVERIFY(QFile::exists(path));
            } else {
                QCOMPARE(events.first().name, CleaningRecorder::removal);
                QCOMPARE(info.value(QStringLiteral("removalItemName")).toString(), name);
                QCOMPARE(info.value(QStringLiteral("removalItemRefPath")).toString(), path);
                QCOMPARE(QFile::exists(path), QLatin1String(table.at(i).kind) == QLatin1String("Plist"));
            }
        }
    }

    // Cleans a key-rewrite row of a list written in `format`: the old list goes aside whole and
    // the list comes back in that format without the row's key, with everything else. No
    // daemon notice follows.
    void verifyKeyRewrite(const TraceSpec &t, const QVariantMap &list, platform::PropertyList::Format format)
    {
        const QString path = pathOf(t);
        QVERIFY(home.writePlist(path, list, format));
        const QList<CleaningRecorder::Event> events = clean(QString::fromLatin1(t.name), path);
        QCOMPARE(events.size(), 1);
        QCOMPARE(events.first().name, CleaningRecorder::removal);
        const auto written = platform::PropertyList::fromFile(path);
        QVERIFY(written);
        QCOMPARE(written->format(), format);
        QVariantMap expected = list;
        expected.remove(QString::fromLatin1(t.extra));
        QCOMPARE(written->toVariant().toMap(), expected);
    }
};
