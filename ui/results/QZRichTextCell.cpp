#include "ui/results/QZRichTextCell.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace {
void prepare(QTextDocument &doc, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    doc.setDocumentMargin(2);
    doc.setDefaultFont(option.font);
    doc.setHtml(index.data(Qt::DisplayRole).toString());
}
} // namespace

void QZRichTextCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QTextDocument doc;
    prepare(doc, opt, index);

    // The cell's background and selection as the style draws them, without its plain text.
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    elideLines(doc, textRect.width() - 2 * doc.documentMargin());
    painter->save();
    const qreal top = textRect.top() + std::max(0.0, (textRect.height() - doc.size().height()) / 2.0);
    painter->translate(textRect.left(), top);
    painter->setClipRect(QRectF(0, 0, textRect.width(), textRect.height()));
    doc.drawContents(painter);
    painter->restore();
}

QSize QZRichTextCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QTextDocument doc;
    prepare(doc, opt, index);
    return QSize(int(doc.idealWidth()), int(doc.size().height()));
}

void QZRichTextCell::elideLines(QTextDocument &doc, qreal width)
{
    struct Edit
    {
        int position;
        int length;
        QString text;
        QTextCharFormat format;
    };
    std::vector<Edit> edits;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QFontMetricsF metrics(format.font().resolve(doc.defaultFont()));
            // A line break inside a fragment starts a line of its own.
            QStringList lines = fragment.text().split(QChar::LineSeparator);
            bool changed = false;
            for (QString &line : lines) {
                if (metrics.horizontalAdvance(line) <= width)
                    continue;
                line = metrics.elidedText(line, Qt::ElideMiddle, qMax<qreal>(0, width));
                changed = true;
            }
            if (changed)
                edits.push_back({fragment.position(), fragment.length(), lines.join(QChar::LineSeparator), format});
        }
    }
    // From the end, so the positions of the edits still to come stay valid.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        QTextCursor cursor(&doc);
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        cursor.insertText(it->text, it->format);
    }
}
