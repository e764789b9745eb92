#include "simulation/result_window.h"

#include <QHeaderView>
#include <algorithm>

#include "broker_table/broker_table.h"
#include "broker_table/codepage.h"
#include "broker_table/number_text.h"
#include "main_window/twips.h"
#include "main_window/ui_font.h"
#include "simulation/commission.h"

namespace fee::ui {

namespace {

constexpr int kGridColumns = 2;
// Twenty brokers as the editor allows, and one more when a data file fills
// the table's last row, so that every broker is shown and ranked.
int broker_rows(const BrokerTable& table)
{
    return std::max(kEditorLastRow + 1, table.broker_count());
}

} // namespace

result::result(QDialog& plan_window, const BrokerTable& table) : plan_window_(plan_window), table_(table)
{
    setObjectName(QStringLiteral("result"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("手数料の試算結果です"));
    setFont(proportional_gothic());
    setFixedSize(twips(3570), twips(5475));

    // Row 0 is the table's own header row, drawn as a fixed row and never
    // scrolled away.
    comp_fig.setObjectName(QStringLiteral("comp_fig"));
    comp_fig.setFont(proportional_gothic(9));
    comp_fig.setColumnCount(kGridColumns);
    comp_fig.setRowCount(broker_rows(table));
    comp_fig.verticalHeader()->hide();
    comp_fig.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    comp_fig.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    comp_fig.horizontalHeader()->setHighlightSections(false);
    comp_fig.horizontalHeader()->setFixedHeight(twips(285));
    comp_fig.setEditTriggers(QAbstractItemView::NoEditTriggers);
    comp_fig.setSelectionMode(QAbstractItemView::ContiguousSelection);
    comp_fig.setTabKeyNavigation(false);
    comp_fig.setWordWrap(false);
    for (int c = 0; c < kGridColumns; ++c)
        comp_fig.setHorizontalHeaderItem(c, new QTableWidgetItem);
    for (int r = 0; r < comp_fig.rowCount(); ++r) {
        // The name column is fixed: drawn like the header and not selectable.
        auto* name = new QTableWidgetItem;
        name->setFlags(Qt::ItemIsEnabled);
        name->setBackground(palette().button());
        name->setForeground(palette().buttonText());
        comp_fig.setItem(r, 0, name);
        auto* cost = new QTableWidgetItem;
        cost->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        comp_fig.setItem(r, 1, cost);
    }
    place(&comp_fig, 120, 120, 3375, 4815);
    // Every broker row fits without scrolling: with a vertical scroll bar the
    // two fixed-width columns would no longer fit beside it, and the costs
    // would be cut off on the right.
    const int free_height =
        comp_fig.height() - 2 * comp_fig.frameWidth() - comp_fig.horizontalHeader()->height();
    comp_fig.verticalHeader()->setMinimumSectionSize(1);
    comp_fig.verticalHeader()->setDefaultSectionSize(std::min(twips(240), free_height / comp_fig.rowCount()));

    key_sort.setText(QStringLiteral("並べ替え(&S)"));
    place(&key_sort, 240, 5040, 1455, 375);
    key_end3.setText(QStringLiteral("閉じる(&X)"));
    place(&key_end3, 1920, 5040, 1455, 375);
    // Enter on the grid closes nothing.
    key_sort.setAutoDefault(false);
    key_end3.setAutoDefault(false);
    connect(&key_sort, &QPushButton::clicked, this, &result::key_sort_Click);
    connect(&key_end3, &QPushButton::clicked, this, &result::key_end3_Click);

    // As in the grid's design, the first cell that is not fixed is current.
    comp_fig.setCurrentCell(0, 1);

    setTabOrder(&comp_fig, &key_end3);
    setTabOrder(&key_end3, &key_sort);
    comp_fig.setFocus();
}

int result::rows() const
{
    return comp_fig.rowCount() + 1;
}

QTableWidgetItem* result::z_cell(int row, int col) const
{
    QTableWidgetItem* item = row == 0 ? comp_fig.horizontalHeaderItem(col) : comp_fig.item(row - 1, col);
    Q_ASSERT(item);
    return item;
}

QString result::text_matrix(int row, int col) const
{
    return z_cell(row, col)->text();
}

void result::set_text_matrix(int row, int col, const QString& text)
{
    QTableWidgetItem* cell = z_cell(row, col);
    cell->setText(text);
    // A cost beyond ten digits is elided in the fixed column; the tip shows it whole.
    if (row > 0)
        cell->setToolTip(text);
}

Qt::Alignment result::cell_alignment(int row, int col) const
{
    return Qt::Alignment(z_cell(row, col)->textAlignment());
}

void result::set_cell_alignment(int row, int col, Qt::Alignment alignment)
{
    z_cell(row, col)->setTextAlignment(alignment);
}

void result::set_col_alignment(int col, Qt::Alignment alignment)
{
    for (int r = 1; r < rows(); ++r)
        set_cell_alignment(r, col, alignment);
}

int result::col_width_twips(int col) const
{
    return comp_fig.columnWidth(col) * 15;
}

void result::set_col_width(int col, int width_twips)
{
    comp_fig.setColumnWidth(col, twips(width_twips));
}

void result::key_sort_Click()
{
    // The order comes from the exact stored costs, not the rounded cell texts,
    // and always from the table, so a second press changes nothing.
    const auto order = cost_order(table_);
    for (int j = 0; j <= table_.com_last(); ++j) {
        set_text_matrix(j + 1, 1, QString::fromStdString(currency_form(table_.com_cost(order[j]))));
        set_text_matrix(j + 1, 0, decode_cp932(table_.com_name(order[j])));
    }
}

void result::key_end3_Click()
{
    close();
    plan_window_.close();
}

} // namespace fee::ui
