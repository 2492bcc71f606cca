#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
namespace Ui {
class CleaningResultsWindow;
}

// The window that sums up a cleaning run: heading image and text, the summary lines, the share
// link and a button that ends its modal run. Closing it in any other way ends the run too.
class CleaningResultsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CleaningResultsWindow(QWidget *parent = nullptr);
    ~CleaningResultsWindow() override;

    QLabel *cleaningStatusImage() const;
    QLabel *cleaningStatusTextField() const;
    QLabel *cleaningOutput() const;
    QLabel *tweetLink() const;
    QPushButton *closeButton() const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::CleaningResultsWindow> m_ui;
};
