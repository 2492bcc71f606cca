#include "ui/summary/CleaningWarning.h"

#include "platform/Alert.h"
#include "platform/UserDefaults.h"

#include <algorithm>

CleaningWarning::CleaningWarning(QString key, QString message, QString informative, QString skipTitle,
                                 std::function<bool(const resultItem &)> belongs)
    : suppressionKey(std::move(key)), messageText(std::move(message)), informativeText(std::move(informative)),
      skipButtonTitle(std::move(skipTitle)), m_belongs(std::move(belongs))
{
}

const CleaningWarning &CleaningWarning::recentFolders()
{
    static const CleaningWarning warning(
        QStringLiteral("recentFolderAlertSuppress"), QStringLiteral("Finder Recent Folders Cleaning Alert"),
        QStringLiteral("Finder recent folders are selected for cleaning. Cleaning recent folders will relaunch the "
                       "Finder, which can interrupt Finder activity. Finish any Finder tasks (such as copying files) "
                       "before continuing. Do you want to continue cleaning Finder recent folders?"),
        QStringLiteral("Skip recent folders cleaning"),
        [](const resultItem &row) { return row.resultItemName().endsWith(QStringLiteral("Recent Folders")); });
    return warning;
}

const CleaningWarning &CleaningWarning::cookies()
{
    // Every row of the Flash cookies module is a cookie, whatever its category is called.
    static const CleaningWarning warning(
        QStringLiteral("CookieAlertSuppress"), QStringLiteral("Cookie Cleaning Alert"),
        QStringLiteral("Web browser cookie files are selected for cleaning. Cleaning cookie files can reduce tracking "
                       "and enhance privacy, but may also log you out from websites. Do you want to continue cleaning "
                       "cookie files?"),
        QStringLiteral("Skip cookie cleaning"), [](const resultItem &row) {
            return row.resultItemName().endsWith(QStringLiteral("Cookies"))
                || row.resultItemAppName().startsWith(QStringLiteral("Flash Cookies"));
        });
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
