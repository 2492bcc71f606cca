#pragma once

#include "platform/plist/PropertyList.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

using namespace Qt::StringLiterals;

// A throw-away home folder and system root for one test.
//
// While it lives, HOME, TMPDIR and NIMBREL_SYSTEM_ROOT point into one temporary folder:
//   <base>/home   the home folder (path(), writeFile(), ... are relative to it)
//   <base>/root   the system root (rootPath(), addApplication(), setSystemVersion())
//   <base>/tmp    the per-user temporary folder, on the same file system as the home
// The standard user defaults are dropped on creation and destruction so that each test
// reads and writes the store of its own home. The previous variables come back afterwards.
//
// Builder paths are relative to the home folder, or absolute (fake.rootPath("...")); missing
// parent folders are created. Names that are not UTF-8 can be given in the escaped form of
// platform::decodePath.
class FakeHome
{
public:
    FakeHome();
    ~FakeHome();
    FakeHome(const FakeHome &) = delete;
    FakeHome &operator=(const FakeHome &) = delete;

    bool isValid() const { return m_valid; }

    QString home() const { return m_home; }
    QString systemRoot() const { return m_root; }
    QString tmp() const { return m_tmp; }
    QString path(const QString &relPath) const;     // joined to the home folder
    QString rootPath(const QString &relPath) const; // joined to the system root
    // (both answer an absolute path unchanged)

    // <root>/<folder>/<name>.app with Contents/Info.plist (CFBundleIdentifier, CFBundleName,
    // CFBundleExecutable, CFBundleIconFile without extension), an empty MacOS/ folder and
    // Resources/<name>.icns filled with iconColor(bundleId). A folder starting with "~/" lies
    // in the home folder ("~/Applications"). Answers the bundle path, empty on failure.
    QString addApplication(const QString &bundleId, const QString &name, const QString &folder = u"Applications"_s,
                           bool binaryInfoPlist = false);
    // The same, plus an executable copy of /bin/sleep as Contents/MacOS/<name>: a process
    // started from it ("<exe> 60") is listed as a running application with bundleId.
    QString addRunnableApplication(const QString &bundleId, const QString &name,
                                   const QString &folder = u"Applications"_s);
    static QString executableOf(const QString &bundlePath);
    static QColor iconColor(const QString &bundleId);

    // <root>/System/Library/CoreServices/SystemVersion.plist with that ProductVersion, or a
    // file that does not parse.
    bool setSystemVersion(const QString &productVersion);
    bool setDamagedSystemVersion();

    // Builders; false on any failure.
    bool writeFile(const QString &relPath, const QByteArray &bytes) const;
    bool makeDir(const QString &relPath) const;
    bool writePlist(const QString &relPath, const QVariant &value,
                    platform::PropertyList::Format format = platform::PropertyList::Format::Binary) const;
    // Creates (or opens) an SQLite file and runs the statements in it.
    bool createSqlite(const QString &relPath, const QString &sqlText) const;

    // The same without a FakeHome at hand.
    static bool writeFileAt(const QString &absPath, const QByteArray &bytes);
    static bool makePath(const QString &absPath);

    // An .icns container holding one PNG image (type 'ic07').
    static QByteArray icnsData(const QImage &image);

private:
    void restoreEnvironment();
    void unlockTree(const QString &absPath) const;

    QTemporaryDir m_base;
    bool m_valid = false;
    QString m_home;
    QString m_root;
    QString m_tmp;
    struct SavedVariable
    {
        const char *name;
        bool wasSet;
        QByteArray value;
    };
    std::vector<SavedVariable> m_saved;
};
