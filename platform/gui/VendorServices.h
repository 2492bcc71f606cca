#pragma once

#include <QString>

class QWidget;

namespace platform {

// Stands in for the vendor's update, usage-report, issue-report and feedback framework.
// Nothing here reports anything about the user: feedback and update checks just open the
// maker's pages in the browser.
class VendorServices
{
public:
    // Sends nothing: a privacy tool does not report on its use.
    static void sendTrackingReport();
    // No issue reporter runs here.
    static void setupIssuesController(bool reportingUnhandledIssues = true);
    // Opens <siteHost>/support (WebPages::open: an alert over `parent` when no browser took it).
    static bool showFeedbackDialog(int mode = 0, QWidget *parent = nullptr);
    // Opens <downloadHost>/download, the same way.
    static bool checkForUpdates(QWidget *parent = nullptr);

    // The address a registered host default names, without a trailing "/", always on the
    // secure scheme: "http://" is upgraded to "https://" and a bare host gets "https://"; any
    // other scheme is refused and `fallback` is used instead. Both are logged. A server on this
    // machine (loopback) is used as given, since nothing sent to it leaves the machine.
    static QString hostAddress(const QString &key, const QString &fallback = QString());
    // The same rule for one address; empty when it is refused.
    static QString secureAddress(const QString &address);
};

} // namespace platform
