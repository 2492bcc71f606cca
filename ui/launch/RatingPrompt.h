#pragma once

#include "ui/launch/LaunchChain.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// The second launch prompt: once a version has been used for a while, ask for a rating.
// The answer is kept in the settings (VersionIsRated, RatedVersionNumber, DeclinedRating and
// RunCount); a newer version than the rated one asks again later.
class RatingPrompt
{
public:
    RatingPrompt();

    // The running version (the bundle's "CFBundleShortVersionString"); tests may set another.
    QString applicationVersion() const { return m_version; }
    void setApplicationVersion(const QString &version) { m_version = version; }
    void setMainWindow(QWidget *window) { m_mainWindow = window; }

    // Whether the launch chain goes on: Stop when the alert was shown, or when a newer
    // version than the rated one starts counting again.
    LaunchChain checkAppRatingStatus();
    void displayAppRatingAlert();

    // 1 when `newVersion` is greater, -1 when smaller, 0 when equal, comparing major, minor
    // and patch as the leading integers of the dot-separated components (a missing minor or
    // patch counts 0, anything after the patch is ignored).
    static int compareNewVersionNumber(const QString &newVersion, const QString &oldVersion);

private:
    QString m_version;
    QPointer<QWidget> m_mainWindow;
};
