#include "platform/system/UserDefaults.h"

#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"
#include "platform/system/Dictionary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QThread>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

const QString kFallbackIdentifier = u"com.brindlecove.Nimbrel"_s;
constexpr int kWriteDelayMs = 500;

QString preferencesFolder()
{
    return QDir::homePath() + u"/Library/Preferences"_s;
}

// The value exactly as it will read back from the store (integers as qint64, dates to the
// millisecond); invalid when a property list cannot hold it.
QVariant storable(const QVariant &value)
{
    if (!value.isValid())
        return {};
    const PropertyList list = PropertyList::fromVariant(QVariantMap{{u"v"_s, value}});
    return list.value(u"v"_s);
}

QString damagedName(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    QString candidate = path + u".damaged-"_s + stamp;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = path + u".damaged-"_s + stamp + QLatin1Char('-') + QString::number(n);
    return candidate;
}

struct Standard
{
    QMutex mutex;
    UserDefaults *object = nullptr;
    QCoreApplication *watchedApp = nullptr;
};

Standard &standard()
{
    static Standard s;
    return s;
}

} // namespace

UserDefaults &UserDefaults::standardUserDefaults()
{
    Standard &s = standard();
    QMutexLocker lock(&s.mutex);
    if (!s.object) {
        QString identifier = Bundle::mainBundle().bundleIdentifier();
        if (identifier.isEmpty())
            identifier = kFallbackIdentifier;
        s.object = new UserDefaults(preferencesFolder() + QLatin1Char('/') + identifier + u".plist"_s, true);
        // The last changes are written when the application object goes away.
        QCoreApplication *app = QCoreApplication::instance();
        if (app && app != s.watchedApp) {
            s.watchedApp = app;
            qAddPostRoutine(&UserDefaults::resetStandardUserDefaults);
        }
    }
    return *s.object;
}

void UserDefaults::resetStandardUserDefaults()
{
    Standard &s = standard();
    UserDefaults *old = nullptr;
    {
        QMutexLocker lock(&s.mutex);
        old = s.object;
        s.object = nullptr;
    }
    delete old; // writes any pending change first
}

UserDefaults::UserDefaults(const QString &suiteName, QObject *parent)
    : UserDefaults(preferencesFolder() + QLatin1Char('/') + suiteName + u".plist"_s, false)
{
    setParent(parent);
}

UserDefaults::UserDefaults(const QString &storePath, bool writable)
    : m_storePath(storePath)
    , m_writable(writable)
{
    if (m_writable) {
        m_writeTimer = new QTimer(this);
        m_writeTimer->setSingleShot(true);
        m_writeTimer->setInterval(kWriteDelayMs);
        connect(m_writeTimer, &QTimer::timeout, this, [this] { synchronize(); });
        // Setters may run anywhere; the write timer lives on the main thread.
        if (QCoreApplication *app = QCoreApplication::instance()) {
            if (thread() != app->thread())
                moveToThread(app->thread());
            connect(app, &QCoreApplication::aboutToQuit, this, [this] { synchronize(); });
        }
    }
    load();
}

UserDefaults::~UserDefaults()
{
    if (m_writable)
        synchronize();
}

void UserDefaults::load()
{
    // The one reader for lists: a pipe, a device or an oversized file at the store's path
    // never blocks or floods start-up.
    ReadFailure failure = ReadFailure::None;
    const auto list = PropertyList::fromFile(m_storePath, &failure);
    if (list && list->isDictionary()) {
        m_user = list->toVariant().toMap();
        return;
    }
    if (failure == ReadFailure::Missing)
        return;
    if (failure == ReadFailure::NotRegular || failure == ReadFailure::Unreadable) {
        // A store we cannot read must not be replaced by an empty one.
        m_writable = false;
        return;
    }
    if (!m_writable)
        return; // a suite is only read; a damaged one reads as empty
    // Keep the damaged store beside itself and start a fresh one.
    if (!QFile::rename(m_storePath, damagedName(m_storePath))) {
        m_writable = false;
        return;
    }
    m_dirty = true;
    synchronize();
}

void UserDefaults::registerDefaults(const QVariantMap &defaults)
{
    QMutexLocker lock(&m_mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it) {
        const QVariant value = storable(it.value());
        if (value.isValid())
            m_registered.insert(it.key(), value);
    }
}

QVariantMap UserDefaults::registeredDefaults() const
{
    QMutexLocker lock(&m_mutex);
    return m_registered;
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return valueLocked(key);
}

QVariant UserDefaults::valueLocked(const QString &key) const
{
    auto it = m_user.constFind(key);
    if (it != m_user.cend())
        return *it;
    return m_registered.value(key);
}

bool UserDefaults::boolForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool();
    if (platform::isNumberValue(value))
        return value.toDouble() != 0.0;
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        bool ok = false;
        const double number = text.toDouble(&ok);
        return ok && number != 0.0;
    }
    return false;
}

qint64 UserDefaults::integerForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    if (platform::isNumberValue(value))
        return value.metaType().id() == QMetaType::Double ? qint64(value.toDouble()) : value.toLongLong();
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        bool ok = false;
        const qint64 whole = text.toLongLong(&ok);
        if (ok)
            return whole;
        const double number = text.toDouble(&ok);
        return ok ? qint64(number) : 0;
    }
    return 0;
}

double UserDefaults::doubleForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1.0 : 0.0;
    if (platform::isNumberValue(value))
        return value.toDouble();
    if (value.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        return ok ? number : 0.0;
    }
    return 0.0;
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.metaType().id() == QMetaType::QString)
        return value.toString();
    if (platform::isNumberValue(value))
        return value.toString();
    return {};
}

QDateTime UserDefaults::dateForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.metaType().id() == QMetaType::QDateTime ? value.toDateTime() : QDateTime();
}

QVariantList UserDefaults::arrayForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.metaType().id() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

QVariantMap UserDefaults::dictionaryForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.metaType().id() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    const QVariant stored = storable(value);
    if (!stored.isValid())
        return; // a value no property list can hold is not taken
    QVariant oldValue;
    QVariant newValue;
    {
        QMutexLocker lock(&m_mutex);
        oldValue = valueLocked(key);
        m_user.insert(key, stored);
        m_dirty = true;
        newValue = stored;
    }
    changed(key, oldValue, newValue);
}

void UserDefaults::setBool(bool value, const QString &key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::setInteger(qint64 value, const QString &key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::setDouble(double value, const QString &key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    QVariant oldValue;
    QVariant newValue;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_user.contains(key))
            return;
        oldValue = m_user.take(key);
        m_dirty = true;
        newValue = m_registered.value(key);
    }
    changed(key, oldValue, newValue);
}

void UserDefaults::changed(const QString &key, const QVariant &oldValue, const QVariant &newValue)
{
    scheduleWrite();
    std::vector<std::shared_ptr<Observer>> snapshot;
    {
        QMutexLocker lock(&m_mutex);
        for (const Registration &r : m_observers) {
            if (r.key == key)
                snapshot.push_back(r.observer);
        }
    }
    for (const auto &observer : snapshot)
        (*observer)(key, 1, oldValue, newValue);
}

void UserDefaults::scheduleWrite()
{
    if (!m_writable || !m_writeTimer)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_writeTimer->isActive())
                m_writeTimer->start();
        },
        Qt::AutoConnection);
}

bool UserDefaults::synchronize()
{
    if (!m_writable)
        return false;
    QMutexLocker writeLock(&m_writeMutex);
    QVariantMap snapshot;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_dirty)
            return true;
        snapshot = m_user;
        m_dirty = false;
    }
    bool ok = false;
    const auto bytes = PropertyList::fromVariant(snapshot, PropertyList::Format::Binary).toData();
    // A store the next launch would refuse (past a reader's limits) would cost every setting.
    const bool readable = bytes && PropertyList::fromData(*bytes).has_value();
    // Owner only: the settings name the folders items are set aside in. The old store is
    // replaced only by one wholly on disk: on a full disk the settings stay as they were.
    if (readable && QDir().mkpath(QFileInfo(m_storePath).absolutePath()))
        ok = FileManager::defaultManager().writeAtomically(m_storePath, *bytes, mode_t(0600));
    if (!ok) {
        QMutexLocker lock(&m_mutex);
        m_dirty = true;
    }
    return ok;
}

QString UserDefaults::storePath() const
{
    return m_storePath;
}

void UserDefaults::addObserver(const QString &key, const void *owner, Observer observer)
{
    if (!observer)
        return;
    QMutexLocker lock(&m_mutex);
    m_observers.push_back(Registration{key, owner, std::make_shared<Observer>(std::move(observer))});
}

void UserDefaults::removeObserver(const QString &key, const void *owner)
{
    std::shared_ptr<Observer> removed; // released outside the lock
    QMutexLocker lock(&m_mutex);
    for (auto it = m_observers.rbegin(); it != m_observers.rend(); ++it) {
        if (it->key == key && it->owner == owner) {
            removed = it->observer;
            m_observers.erase(std::next(it).base());
            break;
        }
    }
    lock.unlock();
}

UserDefaultsController &UserDefaultsController::sharedUserDefaultsController()
{
    static UserDefaultsController controller;
    return controller;
}

void UserDefaultsController::setInitialValues(const QVariantMap &values)
{
    QMutexLocker lock(&m_mutex);
    m_initialValues = values;
}

QVariantMap UserDefaultsController::initialValues() const
{
    QMutexLocker lock(&m_mutex);
    return m_initialValues;
}

void UserDefaultsController::revertToInitialValues(const QStringList &keys)
{
    const QVariantMap initial = initialValues();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    for (const QString &key : keys) {
        defaults.removeObjectForKey(key);
        const QVariant value = initial.value(key);
        if (value.isValid() && defaults.objectForKey(key) != storable(value))
            defaults.setObject(value, key);
    }
}

} // namespace platform
