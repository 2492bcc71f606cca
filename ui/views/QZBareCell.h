#pragma once

#include <QStyledItemDelegate>

// A table cell without text: only an image or a check box. With no text to frame it draws no
// keyboard focus frame; the style would otherwise put a thin empty box beside the icon or box.
class QZBareCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
