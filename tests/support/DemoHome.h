#pragma once

#include "app/NimbrelAppDelegate.h"
#include "platform/UserDefaults.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// The folder scripts/demo-home makes (home/, root/, tmp/, outside/, keep.json), shared by the
// whole-product tests and the benchmarks, so both meet the product as a newcomer does.
namespace demohome {

// The identifiers of the fifteen modules: their panes count as offered, so no assistant runs.
inline const QStringList &moduleIdentifiers()
{
    static const QStringList identifiers{
        QStringLiteral("com.apple.Safari"),        QStringLiteral("org.mozilla.firefox"),
        QStringLiteral("com.google.Chrome"),       QStringLiteral("org.chromium.Chromium"),
        QStringLiteral("com.operasoftware.Opera"), QStringLiteral("org.mozilla.camino"),
        QStringLiteral("com.flock.Flock"),         QStringLiteral("de.icab.iCab"),
        QStringLiteral("com.omnigroup.OmniWeb5"),  QStringLiteral("org.mozilla.seamonkey"),
        QStringLiteral("jp.hmdt.shiira"),          QStringLiteral("com.apple.Finder"),
        QStringLiteral("com.apple.Preview"),       QStringLiteral("com.apple.QuickTimePlayerX"),
        QStringLiteral("FlashCookies")};
    return identifiers;
}

// Runs scripts/demo-home into `folder`; an empty answer means it worked, else what it said.
inline QString make(const QString &sourceDir, const QString &folder, bool big = false)
{
    QProcess script;
    QStringList arguments{sourceDir + QStringLiteral("/scripts/demo-home"), folder};
    if (big)
        arguments << QStringLiteral("--big");
    script.start(QStringLiteral("python3"), arguments);
    if (!script.waitForFinished(-1) || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
        return QString::fromLocal8Bit(script.readAllStandardError()) + script.errorString();
    return {};
}

// Points the program at the folder's home, system root and temporary folder.
inline void useFolder(const QString &folder)
{
    qputenv("HOME", QFile::encodeName(folder + QStringLiteral("/home")));
    qputenv("TMPDIR", QFile::encodeName(folder + QStringLiteral("/tmp")));
    qputenv("NIMBREL_SYSTEM_ROOT", QFile::encodeName(folder + QStringLiteral("/root")));
}

// Defaults of a user who has seen every pane and switched every category on, cookies too;
// no animation to wait for.
inline void switchEverythingOn(bool secureDelete = false, int level = 0)
{
    NimbrelAppDelegate::registerDefaultsAndApplyRules();
    platform::UserDefaults &d = platform::UserDefaults::standardUserDefaults();
    d.setBool(false, QStringLiteral("FirstLaunch"));
    for (const QString &identifier : moduleIdentifiers())
        d.setBool(true, identifier);
    const QVariantMap registered = d.registeredDefaults();
    for (auto it = registered.cbegin(); it != registered.cend(); ++it)
        if (it.key().endsWith(QLatin1String("Cookies")) && it.value().typeId() == QMetaType::Bool)
            d.setBool(true, it.key());
    d.setBool(false, QStringLiteral("enableAnimations"));
    d.setBool(false, QStringLiteral("enableSFX"));
    d.setBool(secureDelete, QStringLiteral("enableSecureDelete"));
    d.setInteger(level, QStringLiteral("secureDeleteLevel"));
}

// keep.json: {"files": [rel...], "rows": [[rel, query]...], "keys": [[rel, key]...]}.
inline QJsonObject keepList(const QString &folder)
{
    QFile file(folder + QStringLiteral("/keep.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace demohome
