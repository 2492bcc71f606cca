#include "ui/tips/TipViews.h"

#include "ui/tips/TipController.h"

#include "ui_TipViews.h"

TipViews::TipViews(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::TipViews>())
{
    m_ui->setupUi(this);
}

TipViews::~TipViews() = default;

QWidget *TipViews::prefsAppListView() const
{
    return m_ui->prefsAppListView;
}
QWidget *TipViews::mainAppsListView() const
{
    return m_ui->mainAppsListView;
}
QWidget *TipViews::mainScanButtonView() const
{
    return m_ui->mainScanButtonView;
}
QWidget *TipViews::mainHelpButtonView() const
{
    return m_ui->mainHelpButtonView;
}
QWidget *TipViews::resultsListView() const
{
    return m_ui->resultsListView;
}
QWidget *TipViews::resultsShredButtonView() const
{
    return m_ui->resultsShredButtonView;
}
QLabel *TipViews::resultsShredButtonTextField() const
{
    return m_ui->resultsShredButtonTextField;
}
QLabel *TipViews::resultsListTextField() const
{
    return m_ui->resultsListText;
}
QWidget *TipViews::problemStatusView() const
{
    return m_ui->problemStatusView;
}
QWidget *TipViews::couldNotCleanStatusView() const
{
    return m_ui->couldNotCleanStatusView;
}
QWidget *TipViews::cleanSystemView() const
{
    return m_ui->cleanSystemView;
}
QWidget *TipViews::tempCleaningFailView() const
{
    return m_ui->tempCleaningFailView;
}

void TipViews::setContentViews(TipController &tips) const
{
    const TipViews &views = *this;
    tips.setPrefsAppListView(views.prefsAppListView());
    tips.setMainAppsListView(views.mainAppsListView());
    tips.setMainScanButtonView(views.mainScanButtonView());
    tips.setMainHelpButtonView(views.mainHelpButtonView());
    tips.setResultsListView(views.resultsListView());
    tips.setResultsShredButtonView(views.resultsShredButtonView());
    tips.setResultsShredButtonTextField(views.resultsShredButtonTextField());
    tips.setResultsListTextField(views.resultsListTextField());
    tips.setProblemStatusView(views.problemStatusView());
    tips.setCouldNotCleanStatusView(views.couldNotCleanStatusView());
    tips.setCleanSystemView(views.cleanSystemView());
    tips.setTempCleaningFailView(views.tempCleaningFailView());
}
