#pragma once

#include "core/records/QZStatusObject.h"
#include "core/records/RowState.h"
#include "platform/system/Image.h"

#include <QMutex>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

// One trace that exists: one row of the results table. Rows are read and written by the
// main thread and the cleaning worker; every accessor locks the row.
// A row is matched to a cleaning status by resultItemAppName, resultItemName and
// resultItemPath together.
class resultItem
{
public:
    // The class constructor `resultItem`: a new, empty record.
    static std::shared_ptr<resultItem> create();

    QString resultItemPath() const;
    void setResultItemPath(const QString &path);
    QString resultItemType() const;
    void setResultItemType(const QString &type);
    // Item full name: the location's name, a blank, the classification.
    QString resultItemName() const;
    void setResultItemName(const QString &name);
    QString resultItemExtraInfo() const;
    void setResultItemExtraInfo(const QString &extraInfo);
    // Byte count; empty until measured.
    std::optional<quint64> resultItemSize() const;
    void setResultItemSize(std::optional<quint64> size);
    QString resultItemConvertedSize() const;
    void setResultItemConvertedSize(const QString &size);
    std::optional<bool> resultItemIsChecked() const;
    void setResultItemIsChecked(std::optional<bool> checked);
    // The value is YES: the row is part of a cleaning run (an empty value is not).
    bool isTicked() const { return resultItemIsChecked().value_or(false); }
    // Shared: changing the image changes what the row shows.
    platform::ImagePtr resultItemImage() const;
    void setResultItemImage(const platform::ImagePtr &image);
    QZStatusObjectPtr resultStatus() const;
    void setResultStatus(const QZStatusObjectPtr &status);
    QString resultItemStatusText() const;
    // Also sets the state the text shows (none for any other text).
    void setResultItemStatusText(const QString &text);
    // Where the row stands in a cleaning run; none before one.
    std::optional<RowState> resultItemState() const;
    // Sets the state and the status text it gives.
    void setResultItemState(RowState state, std::optional<int> percent = std::nullopt);
    QString resultItemIdentifier() const;
    void setResultItemIdentifier(const QString &identifier);
    QString resultItemAppName() const;
    void setResultItemAppName(const QString &appName);

    QVariantMap summary() const;

private:
    // The text and its state change together.
    void setStatus(QString text, std::optional<RowState> state);

    mutable QMutex m_mutex;
    QString m_path;
    QString m_type;
    QString m_name;
    QString m_extraInfo;
    std::optional<quint64> m_size;
    QString m_convertedSize;
    std::optional<bool> m_isChecked;
    platform::ImagePtr m_image;
    QZStatusObjectPtr m_status;
    QString m_statusText;
    std::optional<RowState> m_state;
    QString m_identifier;
    QString m_appName;
};

using resultItemPtr = std::shared_ptr<resultItem>;
