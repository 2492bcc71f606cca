#pragma once

#include "core/records/resultItem.h"
#include "platform/system/ArrayController.h"

#include <QList>

class QTableView;

// The results table's columns: check box, icon, item, size, status dot and status text.
// The two status columns stay hidden until a cleaning run starts.
class ResultsColumns
{
public:
    static QList<platform::ArrayController<resultItem>::Column> columns();
    // Hides what the columns say is hidden and gives each its width; the item column stretches.
    static void layOut(QTableView *table, const QList<platform::ArrayController<resultItem>::Column> &columns);
};
