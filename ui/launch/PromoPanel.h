#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
namespace Ui {
class PromoPanel;
}

// The promotional panel: one image and the three buttons that its two faces show or hide.
class PromoPanel : public QDialog
{
    Q_OBJECT
public:
    explicit PromoPanel(QWidget *parent = nullptr);
    ~PromoPanel() override;

    QLabel *qzImageView() const;
    QPushButton *learnMoreButton() const;
    QPushButton *upgradeButton() const;
    QPushButton *listenNowButton() const;

private:
    std::unique_ptr<Ui::PromoPanel> m_ui;
};
