#pragma once

#include "platform/system/ProgressIndicator.h"

#include <QTimer>
#include <QWidget>

#include <memory>

// Shows one row's spinner inside the results table: a small turning ring while the spinner
// animates, nothing while it is hidden. The view removes itself when the spinner is taken
// out of the table (its row went away).
class QZSpinnerView : public QWidget
{
    Q_OBJECT
public:
    // Placed in `parent` and registered as the spinner's host.
    QZSpinnerView(const platform::ProgressIndicatorPtr &spinner, QWidget *parent);
    ~QZSpinnerView() override;

    // Follows the spinner's animating and hidden state.
    void sync();
    platform::ProgressIndicatorPtr spinner() const { return m_spinner.lock(); }

    // The frame size of a spinner of that control size.
    static QSize sizeForControlSize(int controlSize);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::weak_ptr<platform::ProgressIndicator> m_spinner;
    QTimer m_timer;
    int m_step = 0;
};
