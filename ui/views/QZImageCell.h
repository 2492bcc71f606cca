#pragma once

#include <QStyledItemDelegate>

// A table cell that shows only an image. It has no text to frame, so it draws no keyboard
// focus frame: the style would otherwise put a thin empty box beside the icon.
class QZImageCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
