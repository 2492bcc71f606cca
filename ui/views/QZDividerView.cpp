#include "ui/views/QZDividerView.h"

#include <QPainter>

QZDividerView::QZDividerView(QWidget *parent)
    : QWidget(parent)
{}

QColor QZDividerView::lineColor()
{
    return QColor::fromRgbF(0.923354f, 0.923354f, 0.923354f);
}

void QZDividerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), 1), lineColor());
}
