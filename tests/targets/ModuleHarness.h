#pragma once

#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"

#include <QtTest>

// One row of a module's trace table as the user sees it; the path is below the home folder.
struct Trace {
    const char *name;
    const char *key;
    const char *path;
    const char *kind;
    const char *extra;
};

// A module wired to real services in a fake home, with every category switch of its table
// on, and the two checks every table gets: the rows a scan offers, and the move route.
template <class Module>
class ModuleHarness
{
public:
    FakeHome home;
    FileController files;
    FileController::ResultsArrayController results;
    DatabaseController database;
    Module module;
    CleaningRecorder recorder;
    const QList<Trace> traces;

    // appName: the bundle that makes the module installed; none for a module without one.
    ModuleHarness(const QList<Trace> &table, const QString &appName)
        : traces(table)
    {
        if (!appName.isEmpty())
            home.addApplication(module.identifierString(), appName);
        files.setResultsArrayController(&results);
        module.setFileControl(&files);
        module.setDbControl(&database);
        module.init();
        for (const Trace &t : traces)
            platform::UserDefaults::standardUserDefaults().setBool(true, QString::fromLatin1(t.key));
    }

    QString pathOf(int row) const { return home.path(QString::fromLatin1(traces[row].path)); }
    QString nameOf(int row) const { return QString::fromLatin1(traces[row].name); }

    // Writes every "File" and "Dir" trace; lists and databases are the test's own.
    void writeFilesAndFolders() const
    {
        for (int i = 0; i < traces.size(); ++i) {
            const QString kind = QString::fromLatin1(traces[i].kind);
            if (kind == QStringLiteral("Dir")) {
                QVERIFY(FakeHome::writeFileAt(pathOf(i) + QStringLiteral("/sub/entry"), QByteArray(700 + i, 'd')));
            } else if (kind == QStringLiteral("File")) {
                QVERIFY(FakeHome::writeFileAt(pathOf(i), QByteArray(300 + 41 * i, char('A' + i))));
            }
        }
    }

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

    void clean(const QString &itemName, const QString &path)
    {
        postCleaningRequest(module.targetName(), itemName, path);
    }

    // With every trace on disk and the given keys off, the scan gives the other rows, in
    // table order, each with its own path, kind and extra info.
    void checkScanWithKeysOff(const QStringList &keysOff)
    {
        for (const QString &key : keysOff)
            platform::UserDefaults::standardUserDefaults().setBool(false, key);
        const QList<resultItemPtr> rows = scan();
        int at = 0;
        for (int i = 0; i < traces.size(); ++i) {
            if (keysOff.contains(QString::fromLatin1(traces[i].key)))
                continue;
            QVERIFY2(at < rows.size(), traces[i].name);
            const resultItemPtr &row = rows.at(at++);
            QCOMPARE(row->resultItemName(), nameOf(i));
            QCOMPARE(row->resultItemPath(), pathOf(i));
            QCOMPARE(row->resultItemType(), QString::fromLatin1(traces[i].kind));
            QCOMPARE(row->resultItemExtraInfo(), QString::fromLatin1(traces[i].extra));
            QCOMPARE(row->resultItemAppName(), module.targetName());
            QCOMPARE(row->resultItemIdentifier(), module.identifierString());
        }
        QCOMPARE(rows.size(), at);
    }

    // One data row per category key, plus none and every key off.
    static void addKeysOffRows(const QList<Trace> &table)
    {
        QTest::addColumn<QStringList>("keysOff");
        QStringList keys;
        for (const Trace &t : table) {
            if (!keys.contains(QString::fromLatin1(t.key)))
                keys.append(QString::fromLatin1(t.key));
        }
        QTest::newRow("every key on") << QStringList{};
        for (const QString &key : keys)
            QTest::newRow(qPrintable(key)) << QStringList{key};
        QTest::newRow("every key off") << keys;
    }

    // One data row per row of the table that the move route cleans.
    static void addMoveRows(const QList<Trace> &table)
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < table.size(); ++i) {
            const QByteArray kind(table[i].kind);
            if (kind == "File" || kind == "Dir")
                QTest::newRow(table[i].name) << i;
        }
    }

    // A key-rewrite row: the list goes aside whole and comes back in the format it was read
    // in, without the row's key and with everything else. No daemon notice follows.
    void checkKeyRewrite(int row, const QVariantMap &list, platform::PropertyList::Format format)
    {
        const QString path = pathOf(row);
        QVERIFY(home.writePlist(path, list, format));
        clean(nameOf(row), path);
        QCOMPARE(recorder.names(), QStringList{CleaningRecorder::removal});
        const auto written = platform::PropertyList::fromFile(path);
        QVERIFY(written);
        QCOMPARE(written->format(), format);
        QVariantMap expected = list;
        expected.remove(QString::fromLatin1(traces[row].extra));
        QCOMPARE(written->toVariant().toMap(), expected);
    }

    // A move row goes aside whole and is announced; asked again, it is answered not cleaned.
    void checkMoveRow(int row)
    {
        const QString path = pathOf(row);
        QVERIFY(QFile::exists(path));
        clean(nameOf(row), path);
        QCOMPARE(recorder.names(), QStringList{CleaningRecorder::removal});
        const QVariantMap info = recorder.events.first().info;
        QCOMPARE(info.value(QStringLiteral("removalItemAppName")).toString(), module.targetName());
        QCOMPARE(info.value(QStringLiteral("removalItemName")).toString(), nameOf(row));
        QCOMPARE(info.value(QStringLiteral("removalItemRefPath")).toString(), path);
        const QString moved = info.value(QStringLiteral("removalItemPath")).toString();
        QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
        QVERIFY(QFile::exists(moved) && !QFile::exists(path));

        recorder.clear();
        clean(nameOf(row), path);
        QCOMPARE(recorder.names(), QStringList{CleaningRecorder::status});
        QCOMPARE(recorder.events.first().info.value(QStringLiteral("didClean")).toBool(), false);
        QCOMPARE(recorder.events.first().info.value(QStringLiteral("cleaningItemPath")).toString(), path);
    }
};
