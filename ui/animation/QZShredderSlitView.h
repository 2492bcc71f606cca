#pragma once

#include "platform/system/Image.h"

#include <QRectF>
#include <QSizeF>
#include <QWidget>

class QPainter;

// The shredder's slot along the bottom of the results view, with its light. Drawn in the
// view's own coordinates with the origin at the bottom left; the slot's ends keep their size
// and its middle stretches with the view.
class QZShredderSlitView : public QWidget
{
    Q_OBJECT
public:
    explicit QZShredderSlitView(QWidget *parent = nullptr);

    void setIsShredding(bool shredding);
    bool isShredding() const { return m_isShredding; }

    // The pictures, loaded once for every slot; any of them may be missing.
    struct Images
    {
        platform::ImagePtr left, ledOn, ledOff, middle, right;
    };
    static const Images &initialize();

    // Where each part goes in a view of `size`, origin at the bottom left.
    struct Geometry
    {
        QRectF topLine, shade, dark, leftCap, middle, rightCap, light;
    };
    static Geometry slotGeometry(const QSizeF &size, const Images &images, bool shredding);
    // The whole drawing; a missing picture leaves its part undrawn.
    static void draw(QPainter &painter, const QSizeF &size, const Images &images, bool shredding);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_isShredding = false;
};
