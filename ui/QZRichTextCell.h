#pragma once

#include <QStyledItemDelegate>

// Draws a cell whose display text is rich text (the location labels: two lines in their own
// fonts and colours).
class QZRichTextCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
