#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
namespace Ui {
class TempCleaningPanel;
}

// The panel that shows the removal of leftover temporary files: a result image, a busy
// indicator, a status text and the closing button. It can only be closed through that
// button, and only while the button is enabled: the modal run it sits in ends there.
class TempCleaningPanel : public QDialog
{
    Q_OBJECT
public:
    explicit TempCleaningPanel(QWidget *parent = nullptr);
    ~TempCleaningPanel() override;

    QLabel *tempCleaningStatusImage() const;
    QProgressBar *tempCleaningProgress() const;
    QLabel *tempCleaningProgressText() const;
    QPushButton *tempCleaningButton() const;

    // The busy indicator: spinning and shown, or stopped and hidden.
    void startProgress();
    void stopProgress();
    bool isProgressAnimating() const { return m_animating; }

    // Escape and the window's close box act as the closing button.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::TempCleaningPanel> m_ui;
    bool m_animating = false;
};
