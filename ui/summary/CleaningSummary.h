#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The texts of the cleaning summary, from the run's counters alone: no window, no settings.
class CleaningSummary
{
public:
    struct Heading
    {
        QString image; // resource name of the heading image
        QString text;
        bool operator==(const Heading &) const = default;
    };

    CleaningSummary(qint32 cleaned, qint32 skipped, qint32 problems, quint64 totalSize);

    // Nothing when nothing was cleaned, nothing failed and rows were skipped: the window
    // keeps the heading it had.
    std::optional<Heading> heading() const;

    // The total as the summary shows it ("0.0 KB", "4.0 KB", "4.9 KB", "1.9 MB"). Its own
    // rounding: everything from 1 to 4096 bytes reads 4.0 KB.
    static QString sizeText(quint64 bytes);
    QString sizeText() const { return sizeText(m_totalSize); }
    // The size text ready for a URL query (blanks as "+").
    QString convertedSizeText() const;

    // Cleaned, skipped, size, and problems (empty when there were none).
    QStringList lines() const;
    QString text() const;
    // The share link is offered only when nothing failed.
    bool offersShareLink() const { return m_problems <= 0; }

    // The share text, words joined by "+", ending with the product's page.
    QString shareStatus(const QString &productPage) const;
    // <socialHost>/home?status=<share text>.
    QUrl shareUrl(const QString &socialHost, const QString &productPage) const;

private:
    qint32 m_cleaned;
    qint32 m_skipped;
    qint32 m_problems;
    quint64 m_totalSize;
};
