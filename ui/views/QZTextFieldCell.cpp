#include "ui/views/QZTextFieldCell.h"

#include <QApplication>
#include <QPainter>

QRectF QZTextFieldCell::titleRectForBounds(const QRectF &base, const QRectF &bounds, qreal textHeight)
{
    QRectF rect = base;
    rect.moveTop(bounds.y() + (bounds.height() - textHeight) * 0.5);
    return rect;
}

void QZTextFieldCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    // Background, selection and icon as the style draws them; the text is ours.
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (text.isEmpty())
        return;

    const QRectF bounds = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const QFontMetricsF metrics(opt.font);
    const QRectF title = titleRectForBounds(bounds, bounds, metrics.height());
    const bool highlighted = opt.state & QStyle::State_Selected;

    painter->save();
    painter->setClipRect(bounds);
    painter->setFont(opt.font);
    painter->setPen(highlighted ? QColor(Qt::white) : opt.palette.color(QPalette::Text));
    const QString shown = metrics.elidedText(text, opt.textElideMode, title.width());
    const Qt::Alignment horizontal = opt.displayAlignment & Qt::AlignHorizontal_Mask;
    painter->drawText(QRectF(title.left(), title.top(), title.width(), metrics.height()),
                      int(horizontal | Qt::AlignTop | Qt::TextSingleLine), shown);
    painter->restore();
}
