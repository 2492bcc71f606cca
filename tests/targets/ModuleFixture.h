#pragma once

#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"

#include <QStringList>

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

    explicit ModuleFixture(const QStringList &keys)
    {
        home.addApplication(module.identifierString(), module.targetName());
        files.setResultsArrayController(&results);
        module.setFileControl(&files);
        module.setDbControl(&db);
        module.init();
        for (const QString &key : keys)
            platform::UserDefaults::standardUserDefaults().setBool(true, key);
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
};
