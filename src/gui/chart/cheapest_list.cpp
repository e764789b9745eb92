#include "gui/chart/cheapest_list.h"

#include <QHeaderView>

#include "core/analysis/chart_text.h"
#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"

namespace fee::ui {

CheapestList::CheapestList(const Participants& table, const QString& object_name, const QString& name,
                           const QStringList& headers)
    : table_(table)
{
    setObjectName(object_name);
    setAccessibleName(name);
    setColumnCount(static_cast<int>(headers.size()));
    setHorizontalHeaderLabels(headers);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
}

void CheapestList::add_ranked(const QString& stretch, int row, Money first, Money last)
{
    add_row(
        {stretch, quoted_text(table_.name(row)),
         span_text(general_form(first) + QStringLiteral(" 円"), general_form(last) + QStringLiteral(" 円"))});
    // Shortened as messages quote it, so that a long name leaves the fee in view.
    item(rowCount() - 1, 1)->setToolTip(table_.name(row));
}

void CheapestList::add_unranked(const QString& stretch, const std::vector<int>& overflowing,
                                const QString& figure)
{
    QStringList names;
    for (const int b : overflowing)
        names << QStringLiteral("「%1」").arg(quoted_text(table_.name(b)));
    add_row({stretch, QStringLiteral("（比べられません）"),
             names.join(QStringLiteral("、")) + QStringLiteral(" の") + figure +
                 QStringLiteral("が桁あふれするため")});
}

void CheapestList::add_row(const QStringList& cells)
{
    const int row = rowCount();
    insertRow(row);
    for (int c = 0; c < cells.size(); ++c)
        setItem(row, c, new QTableWidgetItem(cells[c]));
}

// The last column takes the rest: sized to its cells too, it would stay
// narrow once the list is redrawn.
void CheapestList::fit_columns()
{
    for (int c = 0; c + 1 < columnCount(); ++c)
        resizeColumnToContents(c);
}

} // namespace fee::ui
