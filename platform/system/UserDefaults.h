#pragma once

#include <QDateTime>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace platform {

// The application's settings: a registration domain (defaults, never stored) under a user
// domain (stored). Values are QVariants of bool, qint64, double, QString, QDateTime,
// QByteArray, QVariantList and QVariantMap.
//
// The standard defaults persist as a binary property list at
// ~/Library/Preferences/<bundle identifier>.plist (the home folder is read when the object is
// made). synchronize() writes atomically at once; any change is otherwise written within
// about a second, and once more at exit. A store that does not parse is kept beside itself
// under a new name and a fresh one is started, so nothing the user had is lost.
//
// Thread-safe. Observers are called synchronously on the setting thread, after the change,
// with the change kind (1 = set), the old value and the new value.
class UserDefaults : public QObject
{
    Q_OBJECT
public:
    using Observer =
        std::function<void(const QString &key, int kind, const QVariant &oldValue, const QVariant &newValue)>;

    static UserDefaults &standardUserDefaults();
    // Drops the standard object (after a final write) so that the next call reads the store
    // of the current home folder afresh. Tests use it after pointing HOME elsewhere.
    static void resetStandardUserDefaults();

    // A read-only suite read from ~/Library/Preferences/<suiteName>.plist ("MobileMeAccounts").
    explicit UserDefaults(const QString &suiteName, QObject *parent = nullptr);
    ~UserDefaults() override;

    void registerDefaults(const QVariantMap &defaults);
    QVariantMap registeredDefaults() const;

    // The user value when there is one, else the registered value, else an invalid QVariant.
    QVariant objectForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;      // NO when neither domain holds a value
    qint64 integerForKey(const QString &key) const; // 0 when neither domain holds a value
    double doubleForKey(const QString &key) const;
    QString stringForKey(const QString &key) const;
    QDateTime dateForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;
    QVariantMap dictionaryForKey(const QString &key) const;

    void setObject(const QVariant &value, const QString &key); // invalid value removes
    void setBool(bool value, const QString &key);
    void setInteger(qint64 value, const QString &key);
    void setDouble(double value, const QString &key);
    void removeObjectForKey(const QString &key);

    // Writes the user domain now (atomically). False when it could not be written.
    bool synchronize();

    QString storePath() const;

    // Each call adds one registration; removeObserver takes one away (none left: no effect).
    void addObserver(const QString &key, const void *owner, Observer observer);
    void removeObserver(const QString &key, const void *owner);

private:
    UserDefaults(const QString &storePath, bool writable);
    void load();
    void changed(const QString &key, const QVariant &oldValue, const QVariant &newValue);
    void scheduleWrite();

    struct Registration
    {
        QString key;
        const void *owner;
        std::shared_ptr<Observer> observer;
    };

    QVariant valueLocked(const QString &key) const; // m_mutex held

    // A plain QMutex: its locking is inline and visible to the thread sanitizer.
    mutable QMutex m_mutex;
    QMutex m_writeMutex; // keeps writes in order, so an older snapshot never lands last
    QString m_storePath;
    bool m_writable = false;
    QVariantMap m_registered;
    QVariantMap m_user;
    bool m_dirty = false;
    QTimer *m_writeTimer = nullptr;
    std::vector<Registration> m_observers;
};

// The interface bindings' shared controller: remembers the initial values the bindings
// revert to (the same dictionary that was registered at start-up).
class UserDefaultsController
{
public:
    static UserDefaultsController &sharedUserDefaultsController();
    void setInitialValues(const QVariantMap &values);
    QVariantMap initialValues() const;
    // Puts back the initial value of each key (removes the user value).
    void revertToInitialValues(const QStringList &keys);

private:
    mutable QMutex m_mutex;
    QVariantMap m_initialValues;
};

} // namespace platform
