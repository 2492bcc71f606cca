#include "ui/summary/CleaningWarning.h"

#include "platform/Alert.h"
#include "platform/UserDefaults.h"

#include <algorithm>

const CleaningWarning &CleaningWarning::recentFolders()
{
    static const CleaningWarning warning = [] {
        CleaningWarning w;
        w.suppressionKey = QStringLiteral("recentFolderAlertSuppress");
        w.messageText = QStringLiteral("Finder Recent Folders Cleaning Alert");
        w.informativeText = QStringLiteral(
            "Finder recent folders are selected for cleaning. Cleaning recent folders will relaunch the "
            "Finder, which can interrupt Finder activity. Finish any Finder tasks (such as copying files) "
            "before continuing. Do you want to continue cleaning Finder recent folders?");
        w.skipButtonTitle = QStringLiteral("Skip recent folders cleaning");
        w.m_belongs = [](const resultItem &row) {
            return row.resultItemName().endsWith(QStringLiteral("Recent Folders"));
        };
        return w;
    }();
    return warning;
}

const CleaningWarning &CleaningWarning::cookies()
{
    static const CleaningWarning warning = [] {
        CleaningWarning w;
        w.suppressionKey = QStringLiteral("CookieAlertSuppress");
        w.messageText = QStringLiteral("Cookie Cleaning Alert");
        w.informativeText = QStringLiteral(
            "Web browser cookie files are selected for cleaning. Cleaning cookie files can reduce tracking "
            "and enhance privacy, but may also log you out from websites. Do you want to continue cleaning "
            "cookie files?");
        w.skipButtonTitle = QStringLiteral("Skip cookie cleaning");
        w.m_belongs = [](const resultItem &row) {
            return row.resultItemName().endsWith(QStringLiteral("Cookies"))
                || row.resultItemAppName().startsWith(QStringLiteral("Flash Cookies"));
        };
        return w;
    }();
    return warning;
}

void CleaningWarning::run(platform::ArrayController<resultItem> &rows, bool &skip, QWidget *parent) const
{
    const QList<resultItemPtr> all = rows.arrangedObjects();
    const bool asked = std::any_of(all.begin(), all.end(), [this](const resultItemPtr &row) {
        return row->resultItemIsChecked() == std::optional<bool>(true) && belongsTo(*row);
    });
    if (!asked)
        return;

    platform::UserDefaults &defaults = platform::UserDefaults::standardUserDefaults();
    if (defaults.boolForKey(suppressionKey)) {
        skip = false;
        return;
    }

    platform::Alert alert;
    alert.setAlertStyle(platform::Alert::Style::Warning);
    alert.setMessageText(messageText);
    alert.setInformativeText(informativeText);
    alert.addButtonWithTitle(QStringLiteral("Yes"));
    alert.addButtonWithTitle(skipButtonTitle);
    alert.setShowsSuppressionButton(true);
    skip = alert.runModal(parent) == platform::Alert::SecondButtonReturn;
    if (alert.suppressionButtonState())
        defaults.setBool(true, suppressionKey);

    if (!skip)
        return;
    for (const resultItemPtr &row : all)
        if (belongsTo(*row))
            row->setResultItemIsChecked(false);
    rows.reload();
}
