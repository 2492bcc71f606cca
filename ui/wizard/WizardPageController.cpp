#include "ui/wizard/WizardPageController.h"

WizardPageController::WizardPageController(const QString &nibName, const QString &title, QObject *parent)
    : QObject(parent)
    , m_nibName(nibName)
    , m_title(title)
{}

WizardPageController::~WizardPageController()
{
    delete m_view.data();
}

void WizardPageController::setView(QWidget *view)
{
    m_view = view;
    if (view)
        view->setObjectName(m_nibName);
}
