#pragma once

#include "platform/system/Image.h"

#include <QMutex>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

// One scan location: one row of the location list in the main window.
class locationItem
{
public:
    // The class constructor `locationItem`: a new, empty record.
    static std::shared_ptr<locationItem> create();

    // The module's display name; unique in the list, which is sorted and searched by it.
    QString locName() const;
    void setLocName(const QString &name);
    QString locIdentifier() const;
    void setLocIdentifier(const QString &identifier);
    // The two-line label, as rich text.
    QString locInfo() const;
    void setLocInfo(const QString &info);
    // Shared: the very image given.
    platform::ImagePtr locImage() const;
    void setLocImage(const platform::ImagePtr &image);
    // A scan covers the rows whose value equals YES (an empty value does not).
    std::optional<bool> locIsChecked() const;
    void setLocIsChecked(std::optional<bool> checked);
    // The value is YES: the row is part of a scan.
    bool isTicked() const { return locIsChecked().value_or(false); }

    QVariantMap summary() const;

private:
    mutable QMutex m_mutex;
    QString m_locName;
    QString m_locIdentifier;
    QString m_locInfo;
    platform::ImagePtr m_locImage;
    std::optional<bool> m_locIsChecked;
};

using locationItemPtr = std::shared_ptr<locationItem>;
