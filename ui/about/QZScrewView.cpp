#include "ui/about/QZScrewView.h"

#include "platform/system/Image.h"

#include <QPainter>

#include <numbers>

using namespace Qt::StringLiterals;

QZScrewView::QZScrewView(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void QZScrewView::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

void QZScrewView::setRotation(qreal radians)
{
    m_rotation = radians;
    update();
}

void QZScrewView::paintEvent(QPaintEvent *)
{
    const platform::ImagePtr image = platform::imageNamed(u"screw.png"_s);
    if (!image || m_opacity <= 0.0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(m_opacity);
    painter.translate(width() / 2.0, height() / 2.0);
    // Positive angles turn counter-clockwise on screen, as a layer's z rotation does.
    painter.rotate(-m_rotation * 180.0 / std::numbers::pi);
    painter.drawImage(QRectF(-width() / 2.0, -height() / 2.0, width(), height()), *image);
}
