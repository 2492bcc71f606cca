#pragma once

#include <QString>
#include <QVariant>

#include <optional>
#include <span>
#include <utility>

// How hard secure removal overwrites: the stored "secure level" 0..2, in the order the
// settings list them. The secure-removal tool's flag for each is chosen in toolFlag().
enum class SecureLevel { Simple = 0, Medium = 1, Gutmann = 2 };

// The program's own settings, one row each: key, type, registered default and, for numbers,
// the range a stored value is held to. Every read and write of these goes through here, so
// each key is spelled once, and a key without its row, or a row out of the keys' order, does
// not build. The registered defaults themselves come from the bundle's defaults lists, which
// must agree with the table (a test compares them in full). The modules' switches are a
// family of their own, named by each module's table.
class Settings
{
public:
    enum class Key {
        EnableSecureDelete,
        SecureDeleteLevel,
        EnableTips,
        EnableSFX,
        EnableAnimations,
        FirstLaunch,
        RunCount,
        LastScanCount,
        SetAsideFolders,
        SetAsideMarker,
        SetAsideLeftInPlace,
        PendingSideFileWipes,
        CookieAlertSuppress,
        RecentFolderAlertSuppress,
        VersionIsRated,
        RatedVersionNumber,
        DeclinedRating,
        DisableBrindlecoveAlert,
        DisableFW3Alert,
        DisablePodcastAlert,
        IsHighSierra,
        LastAlertTime,
        SiteHost,
        DownloadHost,
        RatingHost,
        SocialHost,
        Count // not a setting: the number of rows the table must have
    };

    // The control a settings form binds to a row by its object name, the row's key.
    enum class Control { None, CheckBox };

    struct Entry
    {
        Key key;
        QString name;
        QMetaType::Type type;
        QVariant defaultValue; // invalid: nothing is registered for it
        std::optional<std::pair<qint64, qint64>> range;
        Control control;
    };

    static std::span<const Entry> table();
    static const Entry &entry(Key key);
    static const QString &name(Key key);

    // Typed reads and writes of the standard user defaults; numbers are held to their range.
    static QVariant value(Key key);
    static bool boolValue(Key key);
    static qint64 integer(Key key);
    static QString string(Key key);
    static void setValue(Key key, const QVariant &value); // invalid removes
    static void setBool(Key key, bool value);
    static void setInteger(Key key, qint64 value);

    static SecureLevel secureLevel();
    static void setSecureLevel(SecureLevel level);
    // The tool's command-line flag for a level; empty for its full (default) overwrite.
    static QString toolFlag(SecureLevel level);

    // Brings each stored number that left its range back to the nearest end (at start-up).
    static void clampStored();
};
