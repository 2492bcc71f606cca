#pragma once

#include "platform/system/ProgressIndicator.h"

#include <QMutex>
#include <QString>

#include <memory>

// The status holder of one result row: its status string and the row's small spinner.
class QZStatusObject
{
public:
    // Makes the spinner: spinning, small, animating and visible.
    QZStatusObject();
    // Takes the spinner out of the view it was placed in before letting it go.
    ~QZStatusObject();
    QZStatusObject(const QZStatusObject &) = delete;
    QZStatusObject &operator=(const QZStatusObject &) = delete;

    static std::shared_ptr<QZStatusObject> create();

    platform::ProgressIndicatorPtr progressSpinner() const;
    void setProgressSpinner(const platform::ProgressIndicatorPtr &spinner);
    QString objStatus() const;
    void setObjStatus(const QString &status);

private:
    mutable QMutex m_mutex;
    platform::ProgressIndicatorPtr m_progressSpinner;
    QString m_objStatus;
};

using QZStatusObjectPtr = std::shared_ptr<QZStatusObject>;
