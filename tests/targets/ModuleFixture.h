#pragma once

#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/records/targetItem.h"
#include "core/FileController.h"
#include "platform/FileManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"

#include <QObject>
#include <QStringList>

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
