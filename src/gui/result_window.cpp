#include "gui/result_window.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QStandardPaths>
#include <algorithm>
#include <numeric>

#include "core/broker_table.h"
#include "core/codepage.h"
#include "core/number_text.h"
#include "core/ranking_export.h"
#include "gui/chart_window.h"
#include "gui/text_fit.h"
#include "gui/twips.h"
#include "gui/ui_font.h"

namespace fee::ui {

namespace {

constexpr int kGridColumns = 2;
// Room the grid's style leaves on each side of a cell's text, in pixels.
constexpr int kCellPadding = 3;
// Twenty brokers as the editor allows, and one more when a data file fills
// the table's last row, so that every broker is shown and ranked.
int broker_rows(const BrokerTable& table)
{
    return std::max(kEditorLastRow + 1, table.broker_count());
}

} // namespace

result::result(const BrokerTable& table, const TradePlan& plan, YearlyCosts costs)
    : table_(table), plan_(plan), costs_(std::move(costs))
{
    setObjectName(QStringLiteral("result"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("手数料の試算結果です"));
    setFont(proportional_gothic());
    setFixedSize(twips(3570), twips(5475));
    build_grid();
    build_buttons();

    z_fig_ini();
    shown_.resize(static_cast<std::size_t>(table_.broker_count()));
    std::iota(shown_.begin(), shown_.end(), 0);
    for (int b = 0; b <= table_.last_row(); ++b)
        show_row(b + 1, b);

    build_actions();
    fit_texts(*this);
}

void result::build_grid()
{
    // Row 0 is the table's own header row, drawn as a fixed row and never
    // scrolled away.
    comp_fig.setObjectName(QStringLiteral("comp_fig"));
    comp_fig.setFont(proportional_gothic(9));
    comp_fig.setColumnCount(kGridColumns);
    comp_fig.setRowCount(broker_rows(table_));
    comp_fig.verticalHeader()->hide();
    comp_fig.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    comp_fig.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    comp_fig.horizontalHeader()->setHighlightSections(false);
    comp_fig.horizontalHeader()->setFixedHeight(twips(285));
    comp_fig.setEditTriggers(QAbstractItemView::NoEditTriggers);
    comp_fig.setSelectionMode(QAbstractItemView::ContiguousSelection);
    comp_fig.setTabKeyNavigation(false);
    comp_fig.setWordWrap(false);
    comp_fig.setTextElideMode(Qt::ElideNone); // a long figure gets a smaller font instead
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
}

void result::build_buttons()
{
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

void result::build_actions()
{
    comp_fig.setContextMenuPolicy(Qt::ActionsContextMenu);
    add_grid_action(k_copy, QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C), "k_copy");
    add_grid_action(k_save_csv, QStringLiteral("CSVで保存(&S)..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                    "k_save_csv");
    add_grid_action(k_chart, QStringLiteral("グラフ(&G)..."), QKeySequence(Qt::CTRL | Qt::Key_G), "k_chart");
    connect(&k_copy, &QAction::triggered, this, &result::k_copy_Click);
    connect(&k_save_csv, &QAction::triggered, this, &result::k_save_csv_Click);
    connect(&k_chart, &QAction::triggered, this, &result::k_chart_Click);
}

// The actions live on the grid for its context menu; their shortcuts work
// wherever the focus is in this window.
void result::add_grid_action(QAction& action, const QString& text, const QKeySequence& keys, const char* name)
{
    action.setObjectName(QString::fromLatin1(name));
    action.setText(text);
    action.setShortcut(keys);
    action.setShortcutContext(Qt::WindowShortcut);
    comp_fig.addAction(&action);
}

void result::z_fig_ini()
{
    set_col_width(0, 2000);
    set_col_width(1, 1250);
    set_cell_alignment(0, 0, Qt::AlignCenter);
    set_cell_alignment(0, 1, Qt::AlignCenter);
    set_col_alignment(0, Qt::AlignCenter);
    set_col_alignment(1, Qt::AlignRight | Qt::AlignVCenter);
    set_text_matrix(0, 0, QStringLiteral("会社名"));
    set_text_matrix(0, 1, QStringLiteral("試算結果"));
}

void result::show_row(int grid_row, int broker)
{
    set_text_matrix(grid_row, 0, decode_cp932(table_.broker(broker).name));
    set_text_matrix(grid_row, 1, currency_form(costs_.at(static_cast<std::size_t>(broker))));
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
    if (row == 0)
        return;
    cell->setToolTip(text);
    // A figure too long for its fixed column gets a smaller font, never an
    // ellipsis: "¥284,752,…" would read as ¥284,752.
    const QFont font =
        shrink_to_fit(comp_fig.font(), comp_fig.columnWidth(col) - 2 * kCellPadding,
                      [&text](const QFont& f) { return QFontMetrics(f).horizontalAdvance(text); });
    cell->setData(Qt::FontRole, font == comp_fig.font() ? QVariant() : QVariant(font));
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
    // The order comes from the exact costs, not the rounded cell texts, and
    // always from table order, so a second press changes nothing.
    shown_ = cost_order(costs_);
    for (std::size_t j = 0; j < shown_.size(); ++j)
        show_row(static_cast<int>(j) + 1, shown_[j]);
}

void result::key_end3_Click()
{
    done(kCloseWithPlan);
}

void result::done(int r)
{
    if (chart_)
        chart_->close();
    QDialog::done(r);
}

void result::k_copy_Click()
{
    QGuiApplication::clipboard()->setText(ranking_tsv(table_, costs_, shown_));
}

void result::k_save_csv_Click()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("CSVで保存"),
                                                      QDir(folder).filePath(QStringLiteral("試算結果.csv")),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (const auto saved = save_ranking(path, ranking_csv(table_, costs_, shown_)); !saved)
        QMessageBox::warning(this, QStringLiteral("CSVで保存"),
                             QString::fromStdString(saved.error().message));
}

void result::k_chart_Click()
{
    // One chart per result window, closed with it; a second Ctrl+G brings it up.
    if (!chart_) {
        chart_ = new chart_window(table_, plan_, this);
        chart_->setAttribute(Qt::WA_DeleteOnClose);
    }
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

} // namespace fee::ui
