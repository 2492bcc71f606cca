#include "ui/main/BrowserSync.h"

#include "platform/files/FileManager.h"
#include "platform/system/ProcessInfo.h"
#include "platform/system/UserDefaults.h"
#include "targets/firefox/FirefoxTraceTable.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

QString homePath(const QString &relPath)
{
    return QDir::homePath() + QLatin1Char('/') + relPath;
}

bool jsonTrue(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool();
    if (value.isDouble())
        return value.toDouble() != 0;
    return false;
}

bool variantTrue(const QVariant &value)
{
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    return ok && n != 0;
}

} // namespace

const QStringList &BrowserSync::browserIdentifiers()
{
    static const QStringList ids{u"com.google.Chrome"_s, u"org.chromium.Chromium"_s, u"org.mozilla.firefox"_s,
                                 u"com.apple.Safari"_s};
    return ids;
}

QString BrowserSync::browserName(const QString &identifier)
{
    static const QStringList names{u"Chrome"_s, u"Chromium"_s, u"Firefox"_s, u"Safari"_s};
    const qsizetype at = browserIdentifiers().indexOf(identifier);
    return at < 0 ? QString() : names[at];
}

QStringList BrowserSync::syncEnabledBrowsers()
{
    QStringList synced;
    const bool answers[4] = {chromeSyncEnabled(), chromiumSyncEnabled(), firefoxSyncEnabled(), safariSyncEnabled()};
    for (int i = 0; i < 4; ++i)
        if (answers[i])
            synced.append(browserIdentifiers()[i]);
    return synced;
}

QString BrowserSync::stringForBrowserPrefsFileAtPath(const QString &path)
{
    // Only a regular file (also through a link), read without blocking: a pipe or a device
    // would stall the Scan. The few keys the tests need sit in files of a few megabytes at
    // most; a larger one is not read, as its text and its parsed form together would cost
    // the Scan many times its size.
    auto file = platform::FileManager::defaultManager().readRegularFile(path, maxPrefsFileBytes);
    if (!file)
        return {};
    auto encoding = QStringConverter::encodingForData(file->data);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    QString text = decoder.decode(file->data);
    file.reset();
    if (decoder.hasError())
        return {};
    if (text.isNull())
        text = u""_s; // an empty file is still a string
    return text;
}

bool BrowserSync::chromiumPreferencesSyncEnabled(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();

    // Somebody is signed in: an account entry with an "account_id" (any value).
    const QJsonValue accounts = root.value(u"account_info"_s);
    if (!accounts.isArray())
        return false;
    bool signedIn = false;
    for (const QJsonValue &account : accounts.toArray())
        if (account.isObject() && account.toObject().contains(u"account_id"_s))
            signedIn = true;
    if (!signedIn)
        return false;

    const QJsonValue syncValue = root.value(u"sync"_s);
    if (!syncValue.isObject())
        return false;
    const QJsonObject sync = syncValue.toObject();
    if (jsonTrue(sync.value(u"suppress_start"_s)))
        return false;
    for (const char *key : {"keep_everything_synced", "history_delete_directives", "tabs", "typed_urls", "sessions"})
        if (jsonTrue(sync.value(QLatin1String(key))))
            return true;
    return false;
}

bool BrowserSync::chromeSyncEnabled()
{
    const QString text =
        stringForBrowserPrefsFileAtPath(homePath(u"Library/Application Support/Google/Chrome/Default/Preferences"_s));
    return !text.isNull() && chromiumPreferencesSyncEnabled(text);
}

bool BrowserSync::chromiumSyncEnabled()
{
    const QString text =
        stringForBrowserPrefsFileAtPath(homePath(u"Library/Application Support/Chromium/Default/Preferences"_s));
    return !text.isNull() && chromiumPreferencesSyncEnabled(text);
}

QString BrowserSync::firefoxPath()
{
    return firefox::profilePath();
}

bool BrowserSync::firefoxPrefsSyncEnabled(const QString &text)
{
    // Every newline character splits, as the line tests are anchored at each line's start.
    static const QRegularExpression newline(u"[\\n\\x0B\\f\\r\\x{0085}\\x{2028}\\x{2029}]"_s);
    bool account = false, historyOff = false, tabsOff = false;
    for (const QString &line : text.split(newline)) {
        account = account || line.startsWith(QLatin1String("user_pref(\"services.sync.account\""), Qt::CaseInsensitive);
        historyOff = historyOff
            || line.startsWith(QLatin1String("user_pref(\"services.sync.engine.history\", false)"),
                               Qt::CaseInsensitive);
        tabsOff = tabsOff
            || line.startsWith(QLatin1String("user_pref(\"services.sync.engine.tabs\", false)"), Qt::CaseInsensitive);
    }
    return account && !(historyOff && tabsOff);
}

bool BrowserSync::firefoxSyncEnabled()
{
    const QString profile = firefoxPath();
    if (profile.isEmpty())
        return false;
    const QString text = stringForBrowserPrefsFileAtPath(profile + u"/prefs.js"_s);
    return !text.isNull() && firefoxPrefsSyncEnabled(text);
}

bool BrowserSync::safariSyncEnabled()
{
    const auto version = platform::ProcessInfo::processInfo().operatingSystemVersion();
    if (!version || version->majorVersion != 10 || version->minorVersion < 10)
        return false;
    const platform::UserDefaults suite(u"MobileMeAccounts"_s);
    const QVariant accounts = suite.objectForKey(u"Accounts"_s);
    if (accounts.typeId() != QMetaType::QVariantList)
        return false;
    bool enabled = false;
    for (const QVariant &accountValue : accounts.toList()) {
        const QVariantMap account = accountValue.toMap();
        if (!variantTrue(account.value(u"LoggedIn"_s)))
            continue;
        for (const QVariant &serviceValue : account.value(u"Services"_s).toList()) {
            const QVariantMap service = serviceValue.toMap();
            if (service.value(u"Name"_s).toString() == QLatin1String("BOOKMARKS")
                && variantTrue(service.value(u"Enabled"_s)))
                enabled = true;
        }
    }
    return enabled;
}
