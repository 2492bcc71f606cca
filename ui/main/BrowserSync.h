#pragma once

#include <QString>
#include <QStringList>

// Whether a browser's own sync would bring cleaned data back: the settings files of
// Chrome, Chromium, Firefox and Safari's cloud account, read from the home folder. Anything
// missing, unreadable or of the wrong shape counts as sync off.
class BrowserSync
{
public:
    // Bundle identifiers and shown names of the tested browsers, in their fixed order.
    static const QStringList &browserIdentifiers();
    static QString browserName(const QString &identifier);

    // The identifiers of the synced browsers, in the fixed order.
    static QStringList syncEnabledBrowsers();
    static bool chromeSyncEnabled();
    static bool chromiumSyncEnabled();
    static bool firefoxSyncEnabled();
    static bool safariSyncEnabled();

    // The file as text (encoding detected from its byte-order mark, else UTF-8); a null
    // string when it is missing, no regular file, larger than maxPrefsFileBytes or does not
    // decode.
    static constexpr qint64 maxPrefsFileBytes = qint64(16) << 20;
    static QString stringForBrowserPrefsFileAtPath(const QString &path);
    // The first entry of Firefox's profiles folder, in listing order, whose name contains
    // ".default"; empty when there is none.
    static QString firefoxPath();

    // The Chromium-style test on the text of a "Preferences" file.
    static bool chromiumPreferencesSyncEnabled(const QString &text);
    // The test on the text of a Firefox "prefs.js".
    static bool firefoxPrefsSyncEnabled(const QString &text);
};
