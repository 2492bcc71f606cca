#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace platform {

// Addresses of the maker's pages, built here and nowhere else. The host of each site is a
// registered setting ("siteHost", "downloadHost", "ratingHost"), taken on the secure scheme
// only (VendorServices::hostAddress), so the paths below are joined to whatever host it names.
class WebPages
{
public:
    // <siteHost><path>; the maker's own site when the setting is refused.
    static QUrl site(const QString &path);
    // <downloadHost><path>, <ratingHost><path>; empty when the setting is refused.
    static QUrl download(const QString &path);
    static QUrl rating(const QString &path);
    // <downloadHost>/download; the maker's own download site when the setting is refused.
    static QUrl updatePage();

    // The maker's site without a trailing "/", for text that carries the address itself.
    static QString siteAddress();

    // Opens the page in the user's browser; when no browser took it, says so in an alert over
    // `parent` that gives the address for copying. Every page button opens its page this way,
    // so none of them can silently do nothing. Answers whether a browser took the page.
    static bool open(const QUrl &page, QWidget *parent = nullptr);

    // The setting's host on the secure scheme (or `fallback`), joined to the path; empty
    // when it is refused and there is no fallback.
    static QUrl join(const QString &hostKey, const QString &path, const QString &fallback = QString());
};

} // namespace platform
