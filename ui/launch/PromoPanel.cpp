#include "ui/launch/PromoPanel.h"

#include "ui_PromoPanel.h"

PromoPanel::PromoPanel(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::PromoPanel>())
{
    m_ui->setupUi(this);
}

PromoPanel::~PromoPanel() = default;

QLabel *PromoPanel::qzImageView() const
{
    return m_ui->qzImageView;
}
QPushButton *PromoPanel::learnMoreButton() const
{
    return m_ui->learnMoreButton;
}
QPushButton *PromoPanel::upgradeButton() const
{
    return m_ui->upgradeButton;
}
QPushButton *PromoPanel::listenNowButton() const
{
    return m_ui->listenNowButton;
}
