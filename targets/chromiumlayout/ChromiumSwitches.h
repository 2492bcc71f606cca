#pragma once

#include "targets/base/TraceTable.h"

#include <QList>
#include <QString>
#include <QVariantMap>

// The switches of a Chromium-layout module, named by the word that follows the application
// name ("Browsing"). The module reads "chromeBrowsing" (the name in lower camel case), the
// pane registers "ChromeBrowsing", and the master switch is "scanChrome" / "ScanChrome". The
// check box texts and the values the panes register are the same for every such module.
class ChromiumSwitches
{
public:
    // `words` in the order the module collects them; `offWords` are off until the user
    // chooses (the rest are on).
    ChromiumSwitches(const QString &appName, const QStringList &words, const QStringList &offWords);

    QString scanKey() const;
    // In the module's order; collectors are the table's rows of each key.
    QList<Category> categories() const;
    PaneSwitches paneSwitches() const;
    QVariantMap paneDefaults() const;
    // "chromeDOM" for "DOM".
    QString key(const QString &word) const;

private:
    QString m_appName;
    QString m_keyPrefix;
    QStringList m_words;
    QStringList m_offWords;
};
