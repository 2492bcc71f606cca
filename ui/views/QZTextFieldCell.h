#pragma once

#include <QStyledItemDelegate>

// A table cell whose text sits in the vertical middle of the cell and turns white on the
// selection highlight.
class QZTextFieldCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The style's title rectangle `base` with its top moved so that text `textHeight` high is
    // centred in `bounds`; its left edge, width and height stay.
    static QRectF titleRectForBounds(const QRectF &base, const QRectF &bounds, qreal textHeight);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
