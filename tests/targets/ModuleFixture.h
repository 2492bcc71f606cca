#pragma once

#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/records/resultItem.h"
#include "core/records/targetItem.h"
#include "core/FileController.h"
#include "platform/FileManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"

#include <QObject>
#include <QStringList>
#include <QTest>

// One row of a module's trace table as the user sees it; paths are below the home folder.
struct Trace {
    const char *name;
    const char *key;
    const char *path;
    const char *kind;
    const char *extra;
};

// The item full names of a table, less the rows of the keys switched off.
template <std::size_t N>
QStringList traceNames(const Trace (&traces)[N], const QStringList &keysOff = {})
{
    QStringList names;
    for (const Trace &t : traces) {
        if (!keysOff.contains(QString::fromLatin1(t.key)))
            names.append(QString::fromLatin1(t.name));
    }
    return names;
}

// A result row is the trace it stands for, in the module's location.
inline void compareRow(const resultItemPtr &row, const Trace &trace, const QString &path,
                       const QString &identifier)
{
    QCOMPARE(row->resultItemName(), QString::fromLatin1(trace.name));
    QCOMPARE(row->resultItemType(), QString::fromLatin1(trace.kind));
    QCOMPARE(row->resultItemExtraInfo(), QString::fromLatin1(trace.extra));
    QCOMPARE(row->resultItemPath(), path);
    QCOMPARE(row->resultItemIdentifier(), identifier);
}

// One installed module wired to the real file and database services in a fake home, with
// every category switch on, and the scans a test makes of it.
template <class Module>
struct ModuleFixture {
    FakeHome home;
    FileController files;
    FileController::ResultsArrayController results;
    DatabaseController database;
    Module module;
    CleaningRecorder recorder;

    ModuleFixture(const QStringList &keys, const QString &application,
                  const QString &folder = QStringLiteral("Applications"))
    {
        home.addApplication(module.identifierString(), application, folder);
        files.setResultsArrayController(&results);
        module.setFileControl(&files);
        module.setDbControl(&database);
        module.init();
        for (const QString &key : keys)
            platform::UserDefaults::standardUserDefaults().setBool(true, key);
    }

    // The result rows of a scan of the module's location.
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

    void clean(const QString &itemName, const QString &path)
    {
        postCleaningRequest(module.targetName(), itemName, path);
    }

    bool temporaryFolderEmpty() const
    {
        return platform::FileManager::defaultManager()
            .contentsOfDirectoryAtPath(FileController::temporaryFolderPath())
            .isEmpty();
    }
};
