#include "ui/summary/CleaningResultsWindow.h"

#include "platform/gui/Modal.h"
#include "platform/gui/WebPages.h"

#include "ui_CleaningResultsWindow.h"

#include <QCloseEvent>
#include <QUrl>

CleaningResultsWindow::CleaningResultsWindow(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CleaningResultsWindow>())
{
    m_ui->setupUi(this);
    connect(m_ui->closeButton, &QPushButton::clicked, this, [this] { platform::Modal::endModalForWindow(this); });
    // Links open in the user's browser, through the workspace like every other page we open.
    connect(m_ui->tweetLink, &QLabel::linkActivated, this, [this](const QString &link) {
        // A clicked link keeps the keyboard otherwise, and Return would open it again
        // instead of pressing OK.
        m_ui->closeButton->setFocus(Qt::OtherFocusReason);
        platform::WebPages::open(QUrl(link), this);
    });
}

CleaningResultsWindow::~CleaningResultsWindow() = default;

QLabel *CleaningResultsWindow::cleaningStatusImage() const
{
    return m_ui->cleaningStatusImage;
}
QLabel *CleaningResultsWindow::cleaningStatusTextField() const
{
    return m_ui->cleaningStatusTextField;
}
QLabel *CleaningResultsWindow::cleaningOutput() const
{
    return m_ui->cleaningOutput;
}
QLabel *CleaningResultsWindow::tweetLink() const
{
    return m_ui->tweetLink;
}
QPushButton *CleaningResultsWindow::closeButton() const
{
    return m_ui->closeButton;
}

// Escape: end the modal run rather than leave it waiting on a hidden window.
void CleaningResultsWindow::reject()
{
    platform::Modal::endModalForWindow(this);
    QDialog::reject();
}

void CleaningResultsWindow::closeEvent(QCloseEvent *event)
{
    platform::Modal::endModalForWindow(this);
    QDialog::closeEvent(event);
}
