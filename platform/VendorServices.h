#pragma once

#include <QString>

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
    // Opens <siteHost>/support.
    static bool showFeedbackDialog(int mode = 0);
    // Opens <downloadHost>/download.
    static bool checkForUpdates();

    // The addresses used above, from the registered defaults "siteHost" and "downloadHost".
    static QString supportAddress();
    // The maker's site without a trailing "/", so paths can be appended.
    static QString siteAddress();
    static QString downloadAddress();
};

} // namespace platform
