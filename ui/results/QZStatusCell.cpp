#include "ui/results/QZStatusCell.h"

#include "platform/system/Bundle.h"
#include "ui/results/QZSpinnerView.h"

#include <QApplication>
#include <QHash>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {
constexpr int kIndent = 12;
}

QZStatusCell::QZStatusCell(QObject *parent)
    : QStyledItemDelegate(parent)
{}

QZStatusCell::~QZStatusCell() = default;

void QZStatusCell::setProgress(const platform::ProgressIndicatorPtr &progress)
{
    m_progress = progress;
    m_progressSize = progress ? QZSpinnerView::sizeForControlSize(progress->controlSize()) : QSize();
}

void QZStatusCell::startSpinning()
{
    if (!m_progress)
        return;
    m_progress->startAnimation();
    m_progress->setHidden(false);
    if (QZSpinnerView *view = spinnerView(m_progress))
        view->sync();
}

void QZStatusCell::stopSpinning()
{
    if (!m_progress)
        return;
    m_progress->stopAnimation();
    m_progress->setHidden(true);
    if (QZSpinnerView *view = spinnerView(m_progress))
        view->sync();
}

QZSpinnerView *QZStatusCell::spinnerView(const platform::ProgressIndicatorPtr &progress) const
{
    auto *host = progress ? static_cast<QWidget *>(progress->host()) : nullptr;
    if (!host)
        return nullptr;
    for (QZSpinnerView *view : host->findChildren<QZSpinnerView *>(Qt::FindDirectChildrenOnly)) {
        if (view->spinner() == progress)
            return view;
    }
    return nullptr;
}

void QZStatusCell::addProgressToView(QWidget *view)
{
    if (!m_progress || !view)
        return;
    if (m_progress->host() == view && spinnerView(m_progress))
        return;
    m_progress->removeFromSuperview();
    new QZSpinnerView(m_progress, view);
}

QString QZStatusCell::imageNameForStatus(State status)
{
    switch (status) {
    case Blue:
        return u"blue"_s;
    case Green:
        return u"green"_s;
    case Red:
        return u"red"_s;
    default:
        return status >= Yellow ? u"yellow"_s : QString();
    }
}

QPixmap QZStatusCell::imageForStatus(State status)
{
    const QString name = imageNameForStatus(status);
    if (name.isEmpty())
        return {};
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(name);
    if (it == cache.end()) {
        const QString path = platform::Bundle::mainBundle().pathForResource(name, u"png"_s);
        it = cache.insert(name, path.isEmpty() ? QPixmap() : QPixmap(path));
    }
    return *it;
}

QRect QZStatusCell::cellFrame(const QStyleOptionViewItem &option)
{
    // As tall as a small spinner: the spinner then sits in the middle of the row, and the
    // dots just above it, level with the text.
    const int height = qMin(option.rect.height(), 16);
    QRect frame = option.rect;
    frame.setTop(option.rect.top() + (option.rect.height() - height) / 2);
    frame.setHeight(height);
    return frame;
}

QZStatusCell::Layout QZStatusCell::layoutFor(const QRect &frame) const
{
    QSize size;
    int dy = 0;
    if (m_currentStatus == Spinner) {
        size = m_progress ? m_progressSize : QSize(0, 0);
        dy = -1;
    } else {
        const QPixmap image = imageForStatus(m_currentStatus);
        size = image.isNull() ? QSize(0, 0) : image.deviceIndependentSize().toSize();
    }
    const int slice = size.width() + kIndent;
    Layout layout;
    layout.image = QRect(frame.x() + kIndent, frame.y() + dy, size.width(), size.height());
    layout.text = QRect(frame.x() + slice, frame.y(), qMax(0, frame.width() - slice), frame.height());
    return layout;
}

void QZStatusCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    auto *self = const_cast<QZStatusCell *>(this);
    if (willDisplayCell)
        willDisplayCell(self, index.row());

    // The row's background first, without text, across the whole cell.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const Layout layout = layoutFor(cellFrame(option));
    if (m_currentStatus == Spinner) {
        if (QZSpinnerView *view = spinnerView(m_progress); view && view->parentWidget()) {
            // The cell frame is in the painted view's coordinates: the table's viewport.
            view->setGeometry(layout.image);
        }
    } else if (const QPixmap image = imageForStatus(m_currentStatus); !image.isNull()) {
        painter->drawPixmap(layout.image, image);
    }

    QStyleOptionViewItem text = option;
    text.rect = QRect(layout.text.x(), option.rect.y(), layout.text.width(), option.rect.height());
    QStyledItemDelegate::paint(painter, text, index);
}
