#include "gui/windows/result_window.h"

#include <QAccessible>
#include <QClipboard>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <algorithm>
#include <numeric>

#include "core/analysis/ranking_export.h"
#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "gui/app/csv_export.h"
#include "gui/app/prompter.h"
#include "gui/layout/form.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

const ControlSpec kDesign[] = {
    {ControlKind::Grid, "cost_grid", {}, {120, 120, 3375, 4815}, nullptr, {}, QStringLiteral("試算結果の表")},
    {ControlKind::Button, "sort_button", QStringLiteral("並べ替え(&S)"), {240, 5040, 1455, 375}},
    {ControlKind::Button, "close_button", QStringLiteral("閉じる(&X)"), {1920, 5040, 1455, 375}},
};
constexpr Twips kWindow = {0, 0, 3570, 5475};
// When daily plans take part, one line below the buttons says so.
constexpr Twips kPlansNote = {120, 5475, 3375, 255};
constexpr int kPlansNoteRoom = 330;

constexpr int kGridColumns = 2;
// Room the grid's style leaves on each side of a cell's text, in pixels.
constexpr int kCellPadding = 3;
// Twenty brokers as the editor allows, and one more when a data file fills
// the table's last row, so that every broker is shown and ranked.
int rows_for(const Participants& table)
{
    return std::max(kEditorLastBroker + 1, table.size());
}

} // namespace

ResultWindow::ResultWindow(const Participants& table, YearlyCosts costs, Prompter& prompter, QWidget* parent)
    : Dialog(parent), table_(table), costs_(std::move(costs)), prompter_(prompter)
{
    const bool plans = table_.size() > table_.broker_count();
    set_fixed_frame(QStringLiteral("result_window"), QStringLiteral("手数料の試算結果です"), kWindow.width,
                    kWindow.height + (plans ? kPlansNoteRoom : 0));
    const Form form(*this, kDesign);
    if (plans) {
        auto* note =
            new QLabel(QStringLiteral("1日定額のプランも、1 回の取引を 1 日として並べています。"), this);
        note->setObjectName(QStringLiteral("plans_note"));
        place(*note, kPlansNote);
    }
    cost_grid_ = form.get<QTableWidget>("cost_grid");
    sort_button_ = form.get<QPushButton>("sort_button");
    close_button_ = form.get<QPushButton>("close_button");
    build_grid();
    build_buttons();

    set_up_columns();
    shown_.resize(static_cast<std::size_t>(table_.size()));
    std::iota(shown_.begin(), shown_.end(), 0);
    for (int b = 0; b < table_.size(); ++b)
        show_broker(b + 1, b);

    build_actions();
    fit_texts(*this);
}

void ResultWindow::build_grid()
{
    // Row 0 is the table's own header row, drawn as a fixed row and never
    // scrolled away.
    cost_grid_->setAccessibleDescription(QStringLiteral("証券会社の一覧の順です"));
    cost_grid_->setFont(proportional_gothic(9));
    cost_grid_->setColumnCount(kGridColumns);
    cost_grid_->setRowCount(rows_for(table_));
    cost_grid_->verticalHeader()->hide();
    cost_grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    cost_grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    cost_grid_->horizontalHeader()->setHighlightSections(false);
    cost_grid_->horizontalHeader()->setFixedHeight(twips(285));
    cost_grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cost_grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    cost_grid_->setTabKeyNavigation(false);
    cost_grid_->setWordWrap(false);
    cost_grid_->setTextElideMode(Qt::ElideNone); // a long figure gets a smaller font instead
    for (int c = 0; c < kGridColumns; ++c)
        cost_grid_->setHorizontalHeaderItem(c, new QTableWidgetItem);
    for (int r = 0; r < cost_grid_->rowCount(); ++r) {
        // The name column is fixed: drawn like the header and not selectable.
        auto* name = new QTableWidgetItem;
        name->setFlags(Qt::ItemIsEnabled);
        name->setBackground(palette().button());
        name->setForeground(palette().buttonText());
        cost_grid_->setItem(r, 0, name);
        auto* cost = new QTableWidgetItem;
        cost->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cost_grid_->setItem(r, 1, cost);
    }
    // Every broker row fits without scrolling: with a vertical scroll bar the
    // two fixed-width columns would no longer fit beside it, and the costs
    // would be cut off on the right.
    const int free_height =
        cost_grid_->height() - 2 * cost_grid_->frameWidth() - cost_grid_->horizontalHeader()->height();
    cost_grid_->verticalHeader()->setMinimumSectionSize(1);
    cost_grid_->verticalHeader()->setDefaultSectionSize(
        std::min(twips(240), free_height / cost_grid_->rowCount()));
}

void ResultWindow::build_buttons()
{
    connect(sort_button_, &QPushButton::clicked, this, &ResultWindow::sort_cheapest_first);
    connect(close_button_, &QPushButton::clicked, this, &ResultWindow::close_with_plan);

    // As in the grid's design, the first cell that is not fixed is current.
    cost_grid_->setCurrentCell(0, 1);

    setTabOrder(cost_grid_, close_button_);
    setTabOrder(close_button_, sort_button_);
    cost_grid_->setFocus();
}

void ResultWindow::build_actions()
{
    cost_grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
    add_menu_shortcut(*cost_grid_);
    add_window_action(*cost_grid_, copy_action_, QStringLiteral("コピー(&C)"),
                      QKeySequence(Qt::CTRL | Qt::Key_C), "copy_action");
    add_window_action(*cost_grid_, save_csv_action_, QStringLiteral("CSVで保存(&S)..."),
                      QKeySequence(Qt::CTRL | Qt::Key_S), "save_csv_action");
    add_window_action(*cost_grid_, chart_action_, QStringLiteral("グラフ(&G)..."),
                      QKeySequence(Qt::CTRL | Qt::Key_G), "chart_action");
    add_window_action(*cost_grid_, accounts_action_, QStringLiteral("口座の組み合わせ(&K)..."),
                      QKeySequence(Qt::CTRL | Qt::Key_K), "accounts_action");
    connect(&copy_action_, &QAction::triggered, this, &ResultWindow::copy_ranking);
    connect(&save_csv_action_, &QAction::triggered, this, &ResultWindow::save_csv);
    connect(&chart_action_, &QAction::triggered, this, &ResultWindow::chart_requested);
    connect(&accounts_action_, &QAction::triggered, this, &ResultWindow::accounts_requested);
}

void ResultWindow::set_up_columns()
{
    set_column_width(0, 2000);
    set_column_width(1, 1250);
    set_cell_alignment(0, 0, Qt::AlignCenter);
    set_cell_alignment(0, 1, Qt::AlignCenter);
    set_column_alignment(0, Qt::AlignCenter);
    set_column_alignment(1, Qt::AlignRight | Qt::AlignVCenter);
    set_cell_text(0, 0, QStringLiteral("会社名"));
    set_cell_text(0, 1, QStringLiteral("試算結果"));
}

void ResultWindow::show_broker(int grid_row, int broker)
{
    const QString name = table_.name(broker);
    const QString cost = currency_form(costs_.at(static_cast<std::size_t>(broker)));
    set_cell_text(grid_row, 0, name);
    set_cell_text(grid_row, 1, cost);
    // A screen reader reads the row whole, whichever of its cells it is on.
    for (int col = 0; col < 2; ++col)
        cell(grid_row, col)->setData(Qt::AccessibleTextRole, name + QStringLiteral("、") + cost);
}

QTableWidgetItem* ResultWindow::cell(int row, int col) const
{
    QTableWidgetItem* item =
        row == 0 ? cost_grid_->horizontalHeaderItem(col) : cost_grid_->item(row - 1, col);
    Q_ASSERT(item);
    return item;
}

void ResultWindow::set_cell_text(int row, int col, const QString& text)
{
    QTableWidgetItem* item = cell(row, col);
    item->setText(text);
    if (row == 0)
        return;
    item->setToolTip(text);
    // A figure too long for its fixed column gets a smaller font, never an
    // ellipsis: "¥284,752,…" would read as ¥284,752.
    const QFont font =
        shrink_to_fit(cost_grid_->font(), cost_grid_->columnWidth(col) - 2 * kCellPadding,
                      [&text](const QFont& f) { return QFontMetrics(f).horizontalAdvance(text); });
    item->setData(Qt::FontRole, font == cost_grid_->font() ? QVariant() : QVariant(font));
}

void ResultWindow::set_cell_alignment(int row, int col, Qt::Alignment alignment)
{
    cell(row, col)->setTextAlignment(alignment);
}

void ResultWindow::set_column_alignment(int col, Qt::Alignment alignment)
{
    for (int r = 1; r <= broker_rows(); ++r)
        set_cell_alignment(r, col, alignment);
}

void ResultWindow::set_column_width(int col, int width_twips)
{
    cost_grid_->setColumnWidth(col, twips(width_twips));
}

void ResultWindow::sort_cheapest_first()
{
    // The order comes from the exact costs, not the rounded cell texts, and
    // always from table order, so a second press changes nothing.
    shown_ = cost_order(costs_);
    for (std::size_t j = 0; j < shown_.size(); ++j)
        show_broker(static_cast<int>(j) + 1, shown_[j]);
    // Said to a screen reader, which sees no order otherwise.
    cost_grid_->setAccessibleDescription(QStringLiteral("年間費用の安い順に並べ替えてあります"));
    QAccessibleEvent sorted(cost_grid_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&sorted);
}

void ResultWindow::close_with_plan()
{
    done(kCloseWithPlan);
}

void ResultWindow::copy_ranking()
{
    QGuiApplication::clipboard()->setText(ranking_tsv(table_, costs_, shown_));
}

void ResultWindow::save_csv()
{
    (void)export_csv(prompter_, QStringLiteral("試算結果.csv"), export_refusal_,
                     ranking_csv(table_, costs_, shown_));
}

} // namespace fee::ui
