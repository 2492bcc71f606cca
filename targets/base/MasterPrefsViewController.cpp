#include "targets/base/MasterPrefsViewController.h"

#include "targets/base/PrefsPaneBuilder.h"

MasterPrefsViewController::MasterPrefsViewController(const QString &nibName, const PaneSwitches &switches,
                                                     QObject *parent)
    : QObject(parent)
    , m_nibName(nibName)
    , m_switches(switches)
{}

MasterPrefsViewController::~MasterPrefsViewController()
{
    delete m_view.data();
}

QString MasterPrefsViewController::identifier() const
{
    QMutexLocker lock(&m_mutex);
    return m_identifier;
}

void MasterPrefsViewController::setIdentifier(const QString &identifier)
{
    QMutexLocker lock(&m_mutex);
    m_identifier = identifier;
}

QWidget *MasterPrefsViewController::view()
{
    if (!m_view)
        m_view = PrefsPaneBuilder::buildView(m_nibName, m_switches);
    return m_view.data();
}
