#include "ui/summary/CleaningSummary.h"

using namespace Qt::StringLiterals;

namespace {

QString counted(qint32 count, const char *singular, const char *plural)
{
    return QString::fromLatin1(count == 1 ? singular : plural).arg(count);
}

} // namespace

CleaningSummary::CleaningSummary(qint32 cleaned, qint32 skipped, qint32 problems, quint64 totalSize)
    : m_cleaned(cleaned)
    , m_skipped(skipped)
    , m_problems(problems)
    , m_totalSize(totalSize)
{}

std::optional<CleaningSummary::Heading> CleaningSummary::heading() const
{
    if (m_cleaned == 0) {
        if (m_problems > 0)
            return Heading{u"fail.png"_s, u"Could Not Clean"_s};
        if (m_skipped == 0)
            return Heading{u"success.png"_s, u"System Is Clean"_s};
        return std::nullopt;
    }
    if (m_problems > 0)
        return Heading{u"warning.png"_s, u"Cleaning Problems Occurred"_s};
    return Heading{u"success.png"_s, u"Cleaning Successful"_s};
}

QString CleaningSummary::sizeText(quint64 bytes)
{
    static const char *const units[] = {"B", "KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = 0;
    if (bytes == 0) {
        unit = 1;
    } else if (bytes <= 4096) {
        value = 4.0;
        unit = 1;
    } else {
        // Beyond terabytes the value simply grows: there is no larger unit to move to.
        while (value > 1024 && unit < 4) {
            value /= 1024;
            ++unit;
        }
    }
    return QString::asprintf("%4.1f %s", value, units[unit]).trimmed();
}

QString CleaningSummary::convertedSizeText() const
{
    return sizeText().replace(QLatin1Char(' '), QLatin1Char('+'));
}

QStringList CleaningSummary::lines() const
{
    return {
        counted(m_cleaned, "%1 threat cleaned", "%1 threats cleaned"),
        counted(m_skipped, "%1 threat skipped", "%1 threats skipped"),
        u"Approximately %1 of files cleaned"_s.arg(sizeText()),
        m_problems <= 0 ? QString()
                        : counted(m_problems, "%1 threat could not be cleaned", "%1 threats could not be cleaned"),
    };
}

QString CleaningSummary::text() const
{
    return lines().join(QLatin1Char('\n'));
}

QString CleaningSummary::shareStatus(const QString &productPage) const
{
    // Joined rather than formatted: "%40" (the escaped at sign) would read as a placeholder.
    const QString count = QString::number(m_cleaned);
    QString status;
    if (m_cleaned == 1)
        status = u"I+cleaned+"_s + count + u"+privacy+threat+that+was+taking+up+"_s + convertedSizeText()
            + u"+of+space+on+my+Mac+with+%40Nimbrel:++"_s;
    else if (m_cleaned > 1)
        status = u"I+cleaned+"_s + count + u"+privacy+threats+that+were+taking+up+"_s + convertedSizeText()
            + u"+of+space+on+my+Mac+with+%40Nimbrel:++"_s;
    else
        status = u"I'm+protecting+my+Mac+from+privacy+threats+with+%40Nimbrel,+and+my+system+is+clean!++"_s;
    return status + productPage;
}

QUrl CleaningSummary::shareUrl(const QString &socialHost, const QString &productPage) const
{
    QString host = socialHost;
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    // The status is already written the way the query wants it ("+" for blanks, "%40").
    return QUrl::fromEncoded((host + u"/home?status="_s + shareStatus(productPage)).toUtf8(), QUrl::TolerantMode);
}
