#include "ui/results/ResultsColumns.h"

#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QTableView>

QList<platform::ArrayController<resultItem>::Column> ResultsColumns::columns()
{
    using Column = platform::ArrayController<resultItem>::Column;
    auto text = [](QString (resultItem::*getter)() const) {
        return [getter](const resultItem &row, int role) -> QVariant {
            return role == Qt::DisplayRole ? QVariant((row.*getter)()) : QVariant();
        };
    };
    Column check;
    check.identifier = QStringLiteral("checkColumn");
    check.isChecked = [](const resultItem &row) { return row.resultItemIsChecked() == std::optional<bool>(true); };
    check.setChecked = [](resultItem &row, bool checked) { row.setResultItemIsChecked(checked); };
    Column icon;
    icon.identifier = QStringLiteral("iconColumn");
    icon.data = [](const resultItem &row, int role) -> QVariant {
        const platform::ImagePtr image = row.resultItemImage();
        if (role == Qt::DecorationRole && image && !image->isNull())
            return QIcon(QPixmap::fromImage(*image));
        return {};
    };
    Column name;
    name.identifier = QStringLiteral("nameColumn");
    name.title = QStringLiteral("Item");
    name.data = text(&resultItem::resultItemName);
    Column size;
    size.identifier = QStringLiteral("sizeColumn");
    size.title = QStringLiteral("Size");
    size.data = [](const resultItem &row, int role) -> QVariant {
        if (role == Qt::DisplayRole)
            return row.resultItemConvertedSize();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    };
    // The dot or spinner; the text has its own column.
    Column status;
    status.identifier = QStringLiteral("statusColumn");
    status.hidden = true;
    Column statusText;
    statusText.identifier = QStringLiteral("statusTextColumn");
    statusText.title = QStringLiteral("Status");
    statusText.data = text(&resultItem::resultItemStatusText);
    statusText.hidden = true;
    return {check, icon, name, size, status, statusText};
}

void ResultsColumns::layOut(QTableView *table, const QList<platform::ArrayController<resultItem>::Column> &columns)
{
    for (int i = 0; i < columns.size(); ++i)
        table->setColumnHidden(i, columns[i].hidden);
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(0, 28);
    header->resizeSection(1, 24);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    header->resizeSection(3, 90);
    header->resizeSection(4, 34);
    header->resizeSection(5, 150);
}
