#include "ui/animation/QZStripsView.h"

#include "platform/system/Image.h"

#include <QBitmap>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {
constexpr int kFramesPerSecond = 12;
// More frames than any loop of ours: a damaged resource folder must not make us load forever.
constexpr int kMaxFrames = 240;
} // namespace

QZStripsView::QZStripsView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_clock.setInterval(1000 / kFramesPerSecond);
    connect(&m_clock, &QTimer::timeout, this, [this] {
        if (!m_frames.isEmpty()) {
            m_frame = (m_frame + 1) % int(m_frames.size());
            shapeWindow();
            update();
        }
    });
}

bool QZStripsView::loadComposition(const QString &name)
{
    m_frames.clear();
    m_shapes.clear();
    m_frame = 0;
    for (int i = 0; i < kMaxFrames; ++i) {
        const platform::ImagePtr frame = platform::imageNamed(name + u"-%1.png"_s.arg(i, 2, 10, QLatin1Char('0')));
        if (!frame)
            break;
        m_frames.append(*frame);
        m_shapes.append(QRegion(QBitmap::fromImage(frame->createAlphaMask())));
    }
    update();
    return !m_frames.isEmpty();
}

void QZStripsView::setEraseColor(const QColor &color)
{
    m_eraseColor = color;
    update();
}

void QZStripsView::startRendering()
{
    m_rendering = true;
    m_frame = 0;
    m_clock.start();
    shapeWindow();
    update();
}

void QZStripsView::pauseRendering()
{
    m_rendering = false;
    m_clock.stop();
}

void QZStripsView::shapeWindow()
{
    QWidget *host = window();
    if (host == this || m_eraseColor.alpha() != 0 || m_shapes.isEmpty())
        return;
    const QImage &frame = m_frames.at(m_frame);
    const QPoint origin = mapTo(host, QPoint((width() - frame.width()) / 2, 0));
    host->setMask(m_shapes.at(m_frame).translated(origin));
}

void QZStripsView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), m_eraseColor);
    if (!m_rendering || m_frames.isEmpty())
        return;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QImage &frame = m_frames.at(m_frame);
    painter.drawImage(QPointF((width() - frame.width()) / 2.0, 0), frame);
}
