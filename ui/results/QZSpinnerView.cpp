#include "ui/results/QZSpinnerView.h"

#include <QPainter>
#include <QPointer>

QZSpinnerView::QZSpinnerView(const platform::ProgressIndicatorPtr &spinner, QWidget *parent)
    : QWidget(parent)
    , m_spinner(spinner)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(sizeForControlSize(spinner->controlSize()));
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 12;
        update();
    });
    QPointer<QZSpinnerView> self(this);
    spinner->setHost(parent, [self] { delete self.data(); });
    sync();
}

QZSpinnerView::~QZSpinnerView()
{
    if (const auto spinner = m_spinner.lock(); spinner && spinner->host() == parentWidget())
        spinner->setHost(nullptr, {});
}

QSize QZSpinnerView::sizeForControlSize(int controlSize)
{
    switch (controlSize) {
    case platform::ProgressIndicator::SmallControlSize:
        return {16, 16};
    case platform::ProgressIndicator::MiniControlSize:
        return {10, 10};
    default:
        return {32, 32};
    }
}

void QZSpinnerView::sync()
{
    const auto spinner = m_spinner.lock();
    const bool shown = spinner && !spinner->isHidden();
    const bool turning = shown && spinner->isAnimating();
    setVisible(shown);
    if (turning && !m_timer.isActive())
        m_timer.start();
    else if (!turning)
        m_timer.stop();
}

void QZSpinnerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
    QPen pen(palette().color(QPalette::Text));
    pen.setWidthF(qMax(1.5, box.width() / 8));
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    // A three-quarter ring that turns by 30 degrees a step.
    painter.drawArc(box, -m_step * 30 * 16, 270 * 16);
}
