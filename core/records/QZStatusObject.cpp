#include "core/records/QZStatusObject.h"

#include "core/records/RecordField.h"

QZStatusObject::QZStatusObject()
    : m_progressSpinner(std::make_shared<platform::ProgressIndicator>())
{
    m_progressSpinner->setStyle(platform::ProgressIndicator::SpinningStyle);
    m_progressSpinner->setControlSize(platform::ProgressIndicator::SmallControlSize);
    m_progressSpinner->startAnimation();
    m_progressSpinner->setHidden(false);
}

QZStatusObject::~QZStatusObject()
{
    // The spinner may outlive us (someone else may hold it), but it must not stay in the
    // table once its row is gone.
    if (m_progressSpinner)
        m_progressSpinner->removeFromSuperview();
}

std::shared_ptr<QZStatusObject> QZStatusObject::create()
{
    return std::make_shared<QZStatusObject>();
}

platform::ProgressIndicatorPtr QZStatusObject::progressSpinner() const
{
    return lockedGet(m_mutex, m_progressSpinner);
}

void QZStatusObject::setProgressSpinner(const platform::ProgressIndicatorPtr &spinner)
{
    lockedSet(m_mutex, m_progressSpinner, spinner);
}

QString QZStatusObject::objStatus() const
{
    return lockedGet(m_mutex, m_objStatus);
}

void QZStatusObject::setObjStatus(const QString &status)
{
    lockedSet(m_mutex, m_objStatus, status);
}
