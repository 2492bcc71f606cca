#include "platform/gui/Layer.h"

#include "platform/gui/BasicAnimation.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace platform {

Layer::Layer(QObject *parent)
    : QObject(parent)
{}

Layer::~Layer()
{
    for (auto &[key, animation] : m_animations)
        dropAnimation(animation);
}

void Layer::dropAnimation(BasicAnimation *animation)
{
    // A layer may be dropped inside its animation's own delegate call: delete it later.
    animation->disconnect();
    animation->setDelegate({});
    animation->stop();
    animation->deleteLater();
}

template <typename T>
void Layer::assign(T &field, const T &value)
{
    field = value;
    emit changed();
}

void Layer::setContents(const QImage &image)
{
    assign(m_contents, image);
}
void Layer::setBounds(const QRectF &bounds)
{
    assign(m_bounds, bounds);
}
void Layer::setAnchorPoint(const QPointF &point)
{
    assign(m_anchorPoint, point);
}
void Layer::setPosition(const QPointF &position)
{
    assign(m_position, position);
}
void Layer::setContentsGravity(ContentsGravity gravity)
{
    assign(m_gravity, gravity);
}

void Layer::addSublayer(const std::shared_ptr<Layer> &layer)
{
    if (!layer)
        return;
    m_sublayers.push_back(layer);
    connect(layer.get(), &Layer::changed, this, &Layer::changed);
    emit changed();
}

void Layer::removeAllSublayers()
{
    for (const auto &layer : m_sublayers)
        layer->disconnect(this);
    m_sublayers.clear();
    emit changed();
}

void Layer::addAnimation(BasicAnimation *animation, const QString &key)
{
    if (!animation)
        return;
    if (auto it = m_animations.find(key); it != m_animations.end()) {
        dropAnimation(it->second);
        m_animations.erase(it);
    }
    animation->setParent(nullptr);
    m_animations[key] = animation;
    connect(animation, &BasicAnimation::valueChanged, this, &Layer::changed);
    animation->start();
}

BasicAnimation *Layer::animationForKey(const QString &key) const
{
    const auto it = m_animations.find(key);
    return it == m_animations.end() ? nullptr : it->second;
}

QRectF Layer::presentationBounds() const
{
    if (BasicAnimation *animation = animationForKey(u"bounds"_s)) {
        const QVariant value = animation->presentationValue();
        if (value.canConvert<QRectF>())
            return value.toRectF();
    }
    return m_bounds;
}

QRectF Layer::presentationFrame() const
{
    const QRectF b = presentationBounds();
    return {m_position.x() - m_anchorPoint.x() * b.width(), m_position.y() - m_anchorPoint.y() * b.height(), b.width(),
            b.height()};
}

void Layer::paint(QPainter &painter, qreal hostHeight) const
{
    const QRectF frame = presentationFrame();
    // The host's y axis points down; ours points up.
    const QRectF target(frame.x(), hostHeight - frame.y() - frame.height(), frame.width(), frame.height());
    if (!m_contents.isNull()) {
        if (m_gravity == ContentsGravity::Top) {
            // Natural size, centred along the top edge.
            const QSizeF size = m_contents.deviceIndependentSize();
            painter.drawImage(QPointF(target.center().x() - size.width() / 2, target.top()), m_contents);
        } else {
            painter.drawImage(target, m_contents);
        }
    }
}

void Layer::paintSublayers(QPainter &painter, qreal hostHeight) const
{
    for (const auto &layer : m_sublayers)
        layer->paint(painter, hostHeight);
}

LayerView::LayerView(QWidget *parent)
    : QWidget(parent)
    , m_layer(std::make_unique<Layer>())
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    connect(m_layer.get(), &Layer::changed, this, qOverload<>(&QWidget::update));
}

void LayerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_layer->paintSublayers(painter, height());
}

} // namespace platform
