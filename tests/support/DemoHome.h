#pragma once

#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
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

using namespace Qt::StringLiterals;

// The folder scripts/demo-home makes (home/, root/, tmp/, outside/, keep.json), shared by the
// whole-product tests and the benchmarks, so both meet the product as a newcomer does.
namespace demohome {

// The identifiers of the fifteen modules: their panes count as offered, so no assistant runs.
inline const QStringList &moduleIdentifiers()
{
    static const QStringList identifiers{u"com.apple.Safari"_s,
                                         u"org.mozilla.firefox"_s,
                                         u"com.google.Chrome"_s,
                                         u"org.chromium.Chromium"_s,
                                         u"com.operasoftware.Opera"_s,
                                         u"org.mozilla.camino"_s,
                                         u"com.flock.Flock"_s,
                                         u"de.icab.iCab"_s,
                                         u"com.omnigroup.OmniWeb5"_s,
                                         u"org.mozilla.seamonkey"_s,
                                         u"jp.hmdt.shiira"_s,
                                         u"com.apple.Finder"_s,
                                         u"com.apple.Preview"_s,
                                         u"com.apple.QuickTimePlayerX"_s,
                                         u"FlashCookies"_s};
    return identifiers;
}

// Runs scripts/demo-home into `folder`; an empty answer means it worked, else what it said.
inline QString make(const QString &sourceDir, const QString &folder, bool big = false)
{
    QProcess script;
    QStringList arguments{sourceDir + u"/scripts/demo-home"_s, folder};
    if (big)
        arguments << u"--big"_s;
    script.start(u"python3"_s, arguments);
    if (!script.waitForFinished(-1) || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
        return QString::fromLocal8Bit(script.readAllStandardError()) + script.errorString();
    return {};
}

// Points the program at the folder's home, system root and temporary folder; only what was
// started from this root counts as running.
inline void useFolder(const QString &folder)
{
    qputenv("HOME", QFile::encodeName(folder + u"/home"_s));
    qputenv("TMPDIR", QFile::encodeName(folder + u"/tmp"_s));
    qputenv("NIMBREL_SYSTEM_ROOT", QFile::encodeName(folder + u"/root"_s));
    countOnlyApplicationsUnder(folder + u"/root/"_s);
}

// Defaults of a user who has seen every pane and switched every category on, cookies too;
// no animation to wait for.
inline void switchEverythingOn(bool secureDelete = false, int level = 0)
{
    NimbrelAppDelegate::registerDefaultsAndApplyRules();
    platform::UserDefaults &d = platform::UserDefaults::standardUserDefaults();
    d.setBool(false, u"FirstLaunch"_s);
    for (const QString &identifier : moduleIdentifiers())
        d.setBool(true, identifier);
    const QVariantMap registered = d.registeredDefaults();
    for (auto it = registered.cbegin(); it != registered.cend(); ++it)
        if (it.key().endsWith(QLatin1String("Cookies")) && it.value().typeId() == QMetaType::Bool)
            d.setBool(true, it.key());
    d.setBool(false, u"enableAnimations"_s);
    d.setBool(false, u"enableSFX"_s);
    d.setBool(secureDelete, u"enableSecureDelete"_s);
    d.setInteger(level, u"secureDeleteLevel"_s);
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
    if (off || folder.isEmpty() || !QFileInfo(folder + u"/home"_s).isDir()) {
        std::fprintf(stderr, "usage: %s FOLDER [--rounds R]  (FOLDER made by scripts/demo-home)\n", argv[0]);
        return {};
    }
    useFolder(folder);
    return folder;
}

// keep.json: {"files": [rel...], "rows": [[rel, query]...], "keys": [[rel, key]...]}.
inline QJsonObject keepList(const QString &folder)
{
    QFile file(folder + u"/keep.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace demohome
