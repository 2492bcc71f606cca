#include "ui/animation/QZShredderSlitView.h"

#include <QColor>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

QSizeF sizeOf(const platform::ImagePtr &image)
{
    return image ? image->deviceIndependentSize() : QSizeF();
}

} // namespace

QZShredderSlitView::QZShredderSlitView(QWidget *parent)
    : QWidget(parent)
{
    setIsShredding(false);
}

void QZShredderSlitView::setIsShredding(bool shredding)
{
    m_isShredding = shredding;
    // At once, not at the next pass of the event loop: the light follows the sound.
    if (isVisible())
        repaint();
}

const QZShredderSlitView::Images &QZShredderSlitView::initialize()
{
    static const Images images{platform::imageNamed(u"slit-left.png"_s), platform::imageNamed(u"slit-led-on.png"_s),
                               platform::imageNamed(u"slit-led-off.png"_s), platform::imageNamed(u"slit-middle.png"_s),
                               platform::imageNamed(u"slit-right.png"_s)};
    return images;
}

QZShredderSlitView::Geometry QZShredderSlitView::slotGeometry(const QSizeF &size, const Images &images, bool shredding)
{
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal capWidth = sizeOf(images.left).width();
    Geometry g;
    g.topLine = {0, h - 1, w, 1};
    g.shade = {45, -1, 1, h};
    g.dark = {44, -1, 1, h};
    g.leftCap = {QPointF(55, 9), sizeOf(images.left)};
    g.middle = {55 + capWidth, 9, w - 77, sizeOf(images.middle).height()};
    g.rightCap = {QPointF(55 + capWidth + w - 77, 9), sizeOf(images.right)};
    g.light = shredding ? QRectF(QPointF(51, 6), sizeOf(images.ledOn)) : QRectF(QPointF(55, 9), sizeOf(images.ledOff));
    return g;
}

void QZShredderSlitView::draw(QPainter &painter, const QSizeF &size, const Images &images, bool shredding)
{
    const Geometry g = slotGeometry(size, images, shredding);
    // Our rectangles have their origin at the bottom left; the painter's at the top left.
    const auto flipped = [&size](const QRectF &r) {
        return QRectF(r.x(), size.height() - r.y() - r.height(), r.width(), r.height());
    };
    const auto grey = [](double level) { return QColor::fromRgbF(float(level), float(level), float(level), 1.0f); };
    painter.fillRect(flipped(g.topLine), grey(0.923354));
    painter.fillRect(flipped(g.shade), grey(0.423354));
    painter.fillRect(flipped(g.dark), grey(0.323354));

    const auto drawImage = [&](const platform::ImagePtr &image, const QRectF &where) {
        if (image && !where.isEmpty())
            painter.drawImage(flipped(where), *image);
    };
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawImage(images.left, g.leftCap);
    drawImage(images.middle, g.middle);
    drawImage(images.right, g.rightCap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    drawImage(shredding ? images.ledOn : images.ledOff, g.light);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void QZShredderSlitView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    draw(painter, size(), initialize(), m_isShredding);
}
