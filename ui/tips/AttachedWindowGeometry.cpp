#include "ui/tips/AttachedWindowGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

bool onLeftOrRight(int side)
{
    return side == 0 || side == 2;
}
bool facesRightEdge(int side)
{
    return side == 0 || side == 4 || side == 5;
}
bool facesLeftEdge(int side)
{
    return side == 2 || side == 6 || side == 7;
}
bool facesTopEdge(int side)
{
    return side == 1 || side == 10 || side == 11;
}
bool facesBottomEdge(int side)
{
    return side == 3 || side == 8 || side == 9;
}

// A quarter circle of radius r from the current point (r before `corner`) round the corner to
// r past it towards `next`; both legs of the corner are axis-aligned.
void appendArcFromPoint(QPainterPath &path, const QPointF &corner, const QPointF &next, double r)
{
    const auto unit = [](const QPointF &v) {
        const double length = std::hypot(v.x(), v.y());
        return length > 0 ? v / length : QPointF();
    };
    const QPointF in = unit(path.currentPosition() - corner);
    const QPointF out = unit(next - corner);
    const QPointF start = corner + in * r;
    const QPointF end = corner + out * r;
    const QPointF centre = corner + (in + out) * r;
    // Qt's angles run counter-clockwise with the y axis pointing down; our y points up.
    const auto angle = [&](const QPointF &p) {
        return std::atan2(-(p.y() - centre.y()), p.x() - centre.x()) * 180.0 / M_PI;
    };
    double sweep = angle(end) - angle(start);
    while (sweep > 180.0)
        sweep -= 360.0;
    while (sweep <= -180.0)
        sweep += 360.0;
    path.lineTo(start);
    path.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), angle(start), sweep);
}

} // namespace

AttachedWindowGeometry::AttachedWindowGeometry() = default;

AttachedWindowGeometry::Update AttachedWindowGeometry::setBorderWidth(float value)
{
    if (value == m_borderWidth)
        return Update::None;
    // A border wider than the margin would cover the view.
    m_borderWidth = std::min(value, m_viewMargin);
    return Update::Background;
}

AttachedWindowGeometry::Update AttachedWindowGeometry::setViewMargin(float value)
{
    if (value == m_viewMargin)
        return Update::None;
    m_viewMargin = std::max(0.0f, value);
    return setCornerRadius(m_cornerRadius);
}

AttachedWindowGeometry::Update AttachedWindowGeometry::setCornerRadius(float value)
{
    const float shorter = float(std::min(m_viewFrame.width(), m_viewFrame.height()));
    const float limit = (2 * m_viewMargin + shorter - m_arrowBaseWidth) / 2;
    m_cornerRadius = std::max(0.0f, std::min(value, limit));
    return setArrowBaseWidth(m_arrowBaseWidth);
}

AttachedWindowGeometry::Update AttachedWindowGeometry::setArrowBaseWidth(float value)
{
    const float shorter = float(std::min(m_viewFrame.width(), m_viewFrame.height()));
    float limit = 2 * m_viewMargin + shorter - m_cornerRadius;
    if (m_drawsRoundCornerBesideArrow)
        limit -= m_cornerRadius;
    m_arrowBaseWidth = std::min(value, limit);
    return Update::Redisplay;
}

AttachedWindowGeometry::Update AttachedWindowGeometry::setArrowHeight(float value)
{
    if (value == m_arrowHeight)
        return Update::None;
    m_arrowHeight = value;
    return Update::Redisplay;
}

AttachedWindowGeometry::Update AttachedWindowGeometry::setHasArrow(float value)
{
    const bool flag = int(value) != 0;
    if (flag == m_hasArrow)
        return Update::None;
    m_hasArrow = flag;
    return Update::Background;
}

AttachedWindowGeometry::Update AttachedWindowGeometry::setDrawsRoundCornerBesideArrow(float value)
{
    const bool flag = int(value) != 0;
    if (flag == m_drawsRoundCornerBesideArrow)
        return Update::None;
    m_drawsRoundCornerBesideArrow = flag;
    return Update::Redisplay;
}

float AttachedWindowGeometry::arrowInset() const
{
    const float radius = m_drawsRoundCornerBesideArrow ? m_cornerRadius : 0.0f;
    return float((radius + m_arrowBaseWidth / 2) * m_scale);
}

int AttachedWindowGeometry::bestSideForAutomaticPosition(const QPointF &point, const QSizeF &viewSize,
                                                         const Surroundings &around) const
{
    const QRectF &v = around.visibleFrame;
    const double px = point.x();
    const double py = point.y();
    const double w = viewSize.width() + 2 * m_viewMargin * m_scale;
    const double h = viewSize.height() + 2 * m_viewMargin * m_scale;
    const double d = float(m_distance + m_arrowHeight * m_scale);
    const double inset = arrowInset();

    int side = Below;
    if (v.y() <= py - h - d)
        side = Below;
    else if (px + w + d < v.x() + v.width())
        side = Right;
    else if (v.x() <= px - w - d)
        side = Left;
    else if (py + h + d < v.y() + v.height())
        side = Above;

    const QRectF f = around.windowFrame.value_or(v);
    const double halfW = float(w / 2);
    const double halfH = float(h / 2);
    if (onLeftOrRight(side)) {
        if (f.y() > py - halfH) {
            if (py + h - inset < v.y() + v.height())
                side = side == Left ? LeftRising : RightRising;
        } else if (py + halfH >= f.y() + f.height() && py - h + inset >= v.y()) {
            side = side == Left ? LeftHanging : RightHanging;
        }
    } else if (f.x() > px - halfW) {
        if (px + w - inset < v.x() + v.width())
            side = side == Below ? BelowRight : AboveRight;
    } else if (px + halfW >= f.x() + f.width() && px - w + inset >= v.x()) {
        side = side == Below ? BelowLeft : AboveLeft;
    }
    return side;
}

QRectF AttachedWindowGeometry::updateGeometry(const QPointF &point, int side, const QSizeF &viewSize)
{
    const double m = float(m_viewMargin * m_scale);
    const double a = float(m_arrowHeight * m_scale);
    const double d = m_distance;
    const double inset = arrowInset();

    m_viewFrame = QRectF(m, m, viewSize.width(), viewSize.height());
    double w = viewSize.width() + 2 * m;
    double h = viewSize.height() + 2 * m;
    // The arrow gets its room on the side of the window that faces the point.
    if (facesRightEdge(side)) {
        w += a;
    } else if (facesLeftEdge(side)) {
        w += a;
        m_viewFrame.moveLeft(m_viewFrame.x() + a);
    } else if (facesTopEdge(side)) {
        h += a;
    } else if (facesBottomEdge(side)) {
        h += a;
        m_viewFrame.moveTop(m_viewFrame.y() + a);
    }

    const double px = point.x();
    const double py = point.y();
    const double halfW = float(w / 2);
    const double halfH = float(h / 2);
    QPointF origin(px, py);
    switch (side) {
    case Left:
        origin = {px - w - d, py - halfH};
        break;
    case Below:
        origin = {px - halfW, py - h - d};
        break;
    case Right:
        origin = {px + d, py - halfH};
        break;
    case Above:
        origin = {px - halfW, py + d};
        break;
    case LeftRising:
        origin = {px - w - d, py - inset};
        break;
    case LeftHanging:
        origin = {px - w - d, py - (h - inset)};
        break;
    case RightRising:
        origin = {px + d, py - inset};
        break;
    case RightHanging:
        origin = {px + d, py - (h - inset)};
        break;
    case AboveLeft:
        origin = {px - (w - inset), py + d};
        break;
    case AboveRight:
        origin = {px - inset, py + d};
        break;
    case BelowLeft:
        origin = {px - (w - inset), py - h - d};
        break;
    case BelowRight:
        origin = {px - inset, py - h - d};
        break;
    default:
        break;
    }
    return QRectF(origin, QSizeF(w, h));
}

int AttachedWindowGeometry::sideThatFits(const QPointF &point, int side, const QSizeF &viewSize,
                                         const Surroundings &around) const
{
    if (side < Left || side >= Automatic || around.visibleFrame.isEmpty())
        return side;
    // Laid out on a copy: trying a side must not move this window's view.
    AttachedWindowGeometry trial = *this;
    auto fits = [&](int candidate) {
        return around.visibleFrame.contains(trial.updateGeometry(point, candidate, viewSize));
    };
    if (fits(side))
        return side;
    const int automatic = bestSideForAutomaticPosition(point, viewSize, around);
    if (fits(automatic))
        return automatic;
    for (int candidate = Left; candidate < Automatic; ++candidate)
        if (fits(candidate))
            return candidate;
    return side;
}

QRectF AttachedWindowGeometry::keptOnScreen(const QRectF &frame, const QRectF &visibleFrame)
{
    if (visibleFrame.isEmpty())
        return frame;
    QRectF kept = frame;
    kept.moveLeft(std::max(visibleFrame.left(), std::min(kept.left(), visibleFrame.right() - kept.width())));
    kept.moveTop(std::max(visibleFrame.top(), std::min(kept.top(), visibleFrame.bottom() - kept.height())));
    return kept;
}

bool AttachedWindowGeometry::isSquareCorner(int side, int first, int second) const
{
    return !m_drawsRoundCornerBesideArrow && (side == first || side == second);
}

QPainterPath AttachedWindowGeometry::backgroundPath(int side) const
{
    const float s = float(m_scale);
    const float r = m_cornerRadius * s;
    const float b = m_arrowBaseWidth * s;
    const float m = m_viewMargin * s;
    const QRectF outline = m_viewFrame.adjusted(-m, -m, m, m);
    const float x = float(outline.x());
    const float y = float(outline.y());
    const float rw = float(outline.width());
    const float rh = float(outline.height());
    // Edges on half pixels, so a one-pixel line lies on whole pixels.
    const double left = std::ceil(x * s + 0.5f);
    const double right = std::floor((x + rw) * s - 0.5f);
    const double bottom = std::ceil(y * s + 0.5f);
    const double top = std::floor((y + rh) * s - 0.5f);
    const double midX = (x + rw / 2) * s;
    const double midY = (y + rh / 2) * s;

    const bool rounded = r > 0;
    const bool roundTopLeft = rounded && !isSquareCorner(side, RightHanging, BelowRight);
    const bool roundTopRight = rounded && !isSquareCorner(side, LeftHanging, BelowLeft);
    const bool roundBottomRight = rounded && !isSquareCorner(side, LeftRising, AboveLeft);
    const bool roundBottomLeft = rounded && !isSquareCorner(side, RightRising, AboveRight);
    // Where each edge's straight part ends, walking clockwise.
    const double topEnd = roundTopRight ? right - r : right;
    const double rightEnd = roundBottomRight ? bottom + r : bottom;
    const double bottomEnd = roundBottomLeft ? left + r : left;
    const double leftEnd = roundTopLeft ? top - r : top;

    QPainterPath path;
    path.moveTo(roundTopLeft ? left + r : left, top);

    if (side == Below) {
        path.lineTo(midX - b / 2, top);
        appendArrowToPath(path, side);
    } else if (side == BelowLeft) {
        path.lineTo(topEnd - b, top);
        appendArrowToPath(path, side);
    } else if (side == BelowRight) {
        appendArrowToPath(path, side);
    }
    path.lineTo(topEnd, top);
    if (roundTopRight)
        appendArcFromPoint(path, {right, top}, {right, top - r}, r);

    if (side == Left) {
        path.lineTo(right, midY + b / 2);
        appendArrowToPath(path, side);
    } else if (side == LeftRising) {
        path.lineTo(right, rightEnd + b);
        appendArrowToPath(path, side);
    } else if (side == LeftHanging) {
        appendArrowToPath(path, side);
    }
    path.lineTo(right, rightEnd);
    if (roundBottomRight)
        appendArcFromPoint(path, {right, bottom}, {right - r, bottom}, r);

    if (side == Above) {
        path.lineTo(midX + b / 2, bottom);
        appendArrowToPath(path, side);
    } else if (side == AboveRight) {
        path.lineTo(bottomEnd + b, bottom);
        appendArrowToPath(path, side);
    } else if (side == AboveLeft) {
        appendArrowToPath(path, side);
    }
    path.lineTo(bottomEnd, bottom);
    if (roundBottomLeft)
        appendArcFromPoint(path, {left, bottom}, {left, bottom + r}, r);

    if (side == Right) {
        path.lineTo(left, midY - b / 2);
        appendArrowToPath(path, side);
    } else if (side == RightHanging) {
        path.lineTo(left, leftEnd - b);
        appendArrowToPath(path, side);
    } else if (side == RightRising) {
        appendArrowToPath(path, side);
    }
    path.lineTo(left, leftEnd);
    if (roundTopLeft)
        appendArcFromPoint(path, {left, top}, {left + r, top}, r);

    path.closeSubpath();
    return path;
}

void AttachedWindowGeometry::appendArrowToPath(QPainterPath &path, int side) const
{
    if (!m_hasArrow)
        return; // the edge runs straight; the window keeps the arrow's room
    const double h = m_arrowHeight * m_scale;
    const double b = m_arrowBaseWidth * m_scale;
    const QPointF c = path.currentPosition();
    if (facesTopEdge(side)) {
        path.lineTo(c.x() + b / 2, c.y() + h);
        path.lineTo(c.x() + b, c.y());
    } else if (facesRightEdge(side)) {
        path.lineTo(c.x() + h, c.y() - b / 2);
        path.lineTo(c.x(), c.y() - b);
    } else if (facesBottomEdge(side)) {
        path.lineTo(c.x() - b / 2, c.y() - h);
        path.lineTo(c.x() - b, c.y());
    } else if (facesLeftEdge(side)) {
        path.lineTo(c.x() - h, c.y() + b / 2);
        path.lineTo(c.x(), c.y() + b);
    }
}
