#include "ui/launch/TempCleaningPanel.h"

#include "ui_TempCleaningPanel.h"

#include <QCloseEvent>

TempCleaningPanel::TempCleaningPanel(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TempCleaningPanel>())
{
    m_ui->setupUi(this);
}

TempCleaningPanel::~TempCleaningPanel() = default;

QLabel *TempCleaningPanel::tempCleaningStatusImage() const
{
    return m_ui->tempCleaningStatusImage;
}
QProgressBar *TempCleaningPanel::tempCleaningProgress() const
{
    return m_ui->tempCleaningProgress;
}
QLabel *TempCleaningPanel::tempCleaningProgressText() const
{
    return m_ui->tempCleaningProgressText;
}
QPushButton *TempCleaningPanel::tempCleaningButton() const
{
    return m_ui->tempCleaningButton;
}

void TempCleaningPanel::startProgress()
{
    // A range of 0..0 is the bar's busy state.
    m_ui->tempCleaningProgress->setRange(0, 0);
    m_ui->tempCleaningProgress->show();
    m_animating = true;
}

void TempCleaningPanel::stopProgress()
{
    m_ui->tempCleaningProgress->setRange(0, 1);
    m_ui->tempCleaningProgress->hide();
    m_animating = false;
}

void TempCleaningPanel::reject()
{
    // Hiding the panel while its modal run goes on would leave the application stuck behind
    // an invisible window; only the closing button ends the run.
    if (m_ui->tempCleaningButton->isEnabled())
        m_ui->tempCleaningButton->click();
}

void TempCleaningPanel::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (isVisible())
        reject();
}
