#pragma once

#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "platform/Timer.h"
#include "platform/UserDefaults.h"
#include "support/OwnApplications.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

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

// Points the program at the folder's home, system root and temporary folder; only what was
// started from this root counts as running.
inline void useFolder(const QString &folder)
{
    qputenv("HOME", QFile::encodeName(folder + QStringLiteral("/home")));
    qputenv("TMPDIR", QFile::encodeName(folder + QStringLiteral("/tmp")));
    qputenv("NIMBREL_SYSTEM_ROOT", QFile::encodeName(folder + QStringLiteral("/root")));
    countOnlyApplicationsUnder(folder + QStringLiteral("/root/"));
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

// Launched as the application is, up to the main window with its fifteen locations; null
// when it does not get there.
inline std::unique_ptr<MainInterface> launch()
{
    std::unique_ptr<MainInterface> ui = MainInterface::load();
    AppController *app = ui->appControl();
    if (!QTest::qWaitForWindowExposed(app->mainWindow()))
        return nullptr;
    platform::Timer::fireAllPending();
    if (!QTest::qWaitFor([app] { return app->locationArrayController()->count() == moduleIdentifiers().size(); },
                         30000))
        return nullptr;
    return ui;
}

// A benchmark's arguments: FOLDER (made by scripts/demo-home) [--rounds R]. Points the
// program at the folder; an empty answer, after a usage line, when they are off.
inline QString folderArgument(int argc, char **argv, int &rounds)
{
    QString folder;
    bool off = false;
    for (int i = 1; i < argc && !off; ++i) {
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (folder.isEmpty() && argv[i][0] != '-')
            folder = QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath();
        else
            off = true;
    }
    if (off || folder.isEmpty() || !QFileInfo(folder + QStringLiteral("/home")).isDir()) {
        std::fprintf(stderr, "usage: %s FOLDER [--rounds R]  (FOLDER made by scripts/demo-home)\n", argv[0]);
        return {};
    }
    useFolder(folder);
    return folder;
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
