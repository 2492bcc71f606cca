#pragma once

#include <QString>
#include <QUrl>

// Addresses of the maker's pages. The host of each site is a registered setting ("siteHost",
// "downloadHost", "ratingHost"), so the paths below are joined to whatever host it names.
class WebPages
{
public:
    // <siteHost><path>, <downloadHost><path>, <ratingHost><path>.
    static QUrl site(const QString &path);
    static QUrl download(const QString &path);
    static QUrl rating(const QString &path);

    // The setting's host on the secure scheme, joined to the path; empty when it is refused.
    static QUrl join(const QString &hostKey, const QString &path);
};
