#pragma once

#include "core/records/targetItem.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace platform {
struct Notification;
}
class FileController;
class PrefsPaneHost;

// The base of every application module. It wires a module into the rest of the program
// through named notifications: hands over the module's settings pane, offers the module's
// location, runs the module's collectors when its location is scanned, and gives the module
// the two senders with which its cleaning code reports what it did.
//
// Construction registers nothing: whoever creates a module (MainInterface, a test) calls
// init() once, and a module's init() calls TargetController::init() first.
class TargetController : public QObject
{
    Q_OBJECT
public:
    explicit TargetController(QObject *parent = nullptr);
    ~TargetController() override;

    // Registers the six notifications (keys::LoadPrefsViews, RemovePrefsObservers,
    // CheckInstalledApps, CheckTargetLocations, CheckLocationItems, AddLocationItem)
    // for any sender. They stay until the module is destroyed. A second call does nothing.
    virtual void init();

    // Identity, set by the module's init().
    QString identifierString() const { return m_identifierString; }
    void setIdentifierString(const QString &identifier) { m_identifierString = identifier; }
    QString scanString() const { return m_scanString; }
    void setScanString(const QString &key) { m_scanString = key; }
    QString targetName() const { return m_targetName; }
    void setTargetName(const QString &name) { m_targetName = name; }

    // The candidates of the location scan that is running; empty outside one.
    const targetItemList &targetItemArray() const { return m_targetItemArray; }

    // Outlets, set once by MainInterface.
    PrefsPaneHost *prefControl() const { return m_prefControl; }
    void setPrefControl(PrefsPaneHost *prefControl) { m_prefControl = prefControl; }
    FileController *fileControl() const { return m_fileControl; }
    void setFileControl(FileController *fileControl) { m_fileControl = fileControl; }

    // The last answer of targetExists().
    bool doesExist() const { return m_doesExist; }

    // Handlers of the notifications init() registers. A location scan request for this
    // module's identifier posts keys::CheckTargetFiles with keys::targetFiles(the request's
    // name and identifier, QVariant::fromValue(targetItemList)), also when no candidate was offered.
    void checkInstalledApps();
    void loadPrefsViews();
    void removePrefsObservers();
    void checkTargetLocation();
    void checkTargetItemsForLocation(const platform::Notification &notification);
    void addLocationItem(const platform::Notification &notification);

    // Is the application installed: a bundle with identifierString exists.
    virtual bool targetExists();

    // Target item description: "targetItemPath", "targetItemType",
    // "targetItemClassification", "targetItemExtraInfo". Appends one targetItem.
    void addTargetItemWithDict(const QVariantMap &description);

    // Posts "CleaningStatusUpdateNotification" synchronously on the calling thread.
    void sendCleaningStatusUpdateNotificationForItem(const QString &itemName, const QString &path, bool didClean);
    // Posts "RemovalItemNotification" synchronously on the calling thread.
    void sendRemovalNotificationForItem(const QString &itemName, const QString &path, const QString &refPath);

    // Module overrides: hand the pane to prefControl; offer the candidates of every category
    // switched on; answer the master switch.
    virtual void loadTargetPrefView();
    virtual void addTargetItems();
    virtual bool checkTarget();

private:
    void refreshDoesExist();

    bool m_initialized = false;
    QString m_identifierString;
    QString m_scanString;
    QString m_targetName;
    targetItemList m_targetItemArray;
    PrefsPaneHost *m_prefControl = nullptr;
    FileController *m_fileControl = nullptr;
    bool m_doesExist = false;
};
