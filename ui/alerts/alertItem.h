#pragma once

#include "platform/system/Image.h"
#include "platform/system/Workspace.h"

#include <QMutex>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

// One running application that must quit before the requester can go on.
class alertItem
{
public:
    // The class constructor `alertItem`: a new, empty record.
    static std::shared_ptr<alertItem> create();

    // The display name from the request: sort key and duplicate key.
    QString alertItemName() const;
    void setAlertItemName(const QString &name);
    QString alertItemIdentifier() const;
    void setAlertItemIdentifier(const QString &identifier);
    platform::ImagePtr alertItemImage() const;
    void setAlertItemImage(const platform::ImagePtr &image);
    // The running instance that is watched.
    std::optional<platform::RunningApplication> alertItemApp() const;
    void setAlertItemApp(const std::optional<platform::RunningApplication> &app);

    // "alertItemName", "alertItemIdentifier", "alertItemImage", "alertItemApp" (the running
    // application's name), ending at the first empty value.
    QVariantMap summary() const;

private:
    mutable QMutex m_mutex;
    QString m_name;
    QString m_identifier;
    platform::ImagePtr m_image;
    std::optional<platform::RunningApplication> m_app;
};

using alertItemPtr = std::shared_ptr<alertItem>;
