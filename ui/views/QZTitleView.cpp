#include "ui/views/QZTitleView.h"

#include <QPaintEvent>
#include <QPainter>

QZTitleView::QZTitleView(QWidget *parent)
    : QWidget(parent)
{}

QLinearGradient QZTitleView::gradient(const QRectF &rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    const auto grey = [](int level) { return QColor(level, level, level); };
    gradient.setColorAt(0.0, grey(81));
    gradient.setColorAt(0.1, grey(244));
    gradient.setColorAt(0.2, grey(231));
    gradient.setColorAt(0.99, grey(209));
    gradient.setColorAt(1.0, grey(189));
    return gradient;
}

void QZTitleView::paintEvent(QPaintEvent *event)
{
    // The gradient spans the whole view so a partial repaint leaves no seam.
    QPainter painter(this);
    painter.fillRect(event->rect(), gradient(QRectF(rect())));
}
