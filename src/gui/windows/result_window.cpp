#include "gui/windows/result_window.h"

#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QStandardPaths>
#include <algorithm>
#include <numeric>

#include "core/analysis/ranking_export.h"
#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "gui/app/prompter.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

constexpr int kGridColumns = 2;
// Room the grid's style leaves on each side of a cell's text, in pixels.
constexpr int kCellPadding = 3;
// Twenty brokers as the editor allows, and one more when a data file fills
// the table's last row, so that every broker is shown and ranked.
int rows_for(const BrokerTable& table)
{
    return std::max(kEditorLastBroker + 1, table.broker_count());
}

} // namespace

result::result(const BrokerTable& table, YearlyCosts costs, Prompter& prompter, QWidget* parent)
    : Dialog(parent), table_(table), costs_(std::move(costs)), prompter_(prompter)
{
    setObjectName(QStringLiteral("result"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("手数料の試算結果です"));
    setFont(proportional_gothic());
    setFixedSize(twips(3570), twips(5475));
    build_grid();
    build_buttons();

    set_up_columns();
    shown_.resize(static_cast<std::size_t>(table_.broker_count()));
    std::iota(shown_.begin(), shown_.end(), 0);
    for (int b = 0; b <= table_.last_broker(); ++b)
        show_broker(b + 1, b);

    build_actions();
    fit_texts(*this);
}

void result::build_grid()
{
    // Row 0 is the table's own header row, drawn as a fixed row and never
    // scrolled away.
    comp_fig_.setObjectName(QStringLiteral("comp_fig"));
    comp_fig_.setAccessibleName(QStringLiteral("試算結果の表"));
    comp_fig_.setAccessibleDescription(QStringLiteral("証券会社の一覧の順です"));
    comp_fig_.setFont(proportional_gothic(9));
    comp_fig_.setColumnCount(kGridColumns);
    comp_fig_.setRowCount(rows_for(table_));
    comp_fig_.verticalHeader()->hide();
    comp_fig_.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    comp_fig_.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    comp_fig_.horizontalHeader()->setHighlightSections(false);
    comp_fig_.horizontalHeader()->setFixedHeight(twips(285));
    comp_fig_.setEditTriggers(QAbstractItemView::NoEditTriggers);
    comp_fig_.setSelectionMode(QAbstractItemView::ContiguousSelection);
    comp_fig_.setTabKeyNavigation(false);
    comp_fig_.setWordWrap(false);
    comp_fig_.setTextElideMode(Qt::ElideNone); // a long figure gets a smaller font instead
    for (int c = 0; c < kGridColumns; ++c)
        comp_fig_.setHorizontalHeaderItem(c, new QTableWidgetItem);
    for (int r = 0; r < comp_fig_.rowCount(); ++r) {
        // The name column is fixed: drawn like the header and not selectable.
        auto* name = new QTableWidgetItem;
        name->setFlags(Qt::ItemIsEnabled);
        name->setBackground(palette().button());
        name->setForeground(palette().buttonText());
        comp_fig_.setItem(r, 0, name);
        auto* cost = new QTableWidgetItem;
        cost->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        comp_fig_.setItem(r, 1, cost);
    }
    place(&comp_fig_, 120, 120, 3375, 4815);
    // Every broker row fits without scrolling: with a vertical scroll bar the
    // two fixed-width columns would no longer fit beside it, and the costs
    // would be cut off on the right.
    const int free_height =
        comp_fig_.height() - 2 * comp_fig_.frameWidth() - comp_fig_.horizontalHeader()->height();
    comp_fig_.verticalHeader()->setMinimumSectionSize(1);
    comp_fig_.verticalHeader()->setDefaultSectionSize(
        std::min(twips(240), free_height / comp_fig_.rowCount()));
}

void result::build_buttons()
{
    key_sort_.setObjectName(QStringLiteral("key_sort"));
    key_sort_.setText(QStringLiteral("並べ替え(&S)"));
    place(&key_sort_, 240, 5040, 1455, 375);
    key_end3_.setObjectName(QStringLiteral("key_end3"));
    key_end3_.setText(QStringLiteral("閉じる(&X)"));
    place(&key_end3_, 1920, 5040, 1455, 375);
    // Enter on the grid closes nothing.
    key_sort_.setAutoDefault(false);
    key_end3_.setAutoDefault(false);
    connect(&key_sort_, &QPushButton::clicked, this, &result::key_sort_Click);
    connect(&key_end3_, &QPushButton::clicked, this, &result::key_end3_Click);

    // As in the grid's design, the first cell that is not fixed is current.
    comp_fig_.setCurrentCell(0, 1);

    setTabOrder(&comp_fig_, &key_end3_);
    setTabOrder(&key_end3_, &key_sort_);
    comp_fig_.setFocus();
}

void result::build_actions()
{
    comp_fig_.setContextMenuPolicy(Qt::ActionsContextMenu);
    add_menu_shortcut(comp_fig_);
    add_grid_action(k_copy_, QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C), "k_copy");
    add_grid_action(k_save_csv_, QStringLiteral("CSVで保存(&S)..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                    "k_save_csv");
    add_grid_action(k_chart_, QStringLiteral("グラフ(&G)..."), QKeySequence(Qt::CTRL | Qt::Key_G), "k_chart");
    add_grid_action(k_accounts_, QStringLiteral("口座の組み合わせ(&K)..."),
                    QKeySequence(Qt::CTRL | Qt::Key_K), "k_accounts");
    connect(&k_copy_, &QAction::triggered, this, &result::k_copy_Click);
    connect(&k_save_csv_, &QAction::triggered, this, &result::k_save_csv_Click);
    connect(&k_chart_, &QAction::triggered, this, &result::chart_requested);
    connect(&k_accounts_, &QAction::triggered, this, &result::accounts_requested);
}

// The actions live on the grid for its context menu; their shortcuts work
// wherever the focus is in this window.
void result::add_grid_action(QAction& action, const QString& text, const QKeySequence& keys, const char* name)
{
    action.setObjectName(QString::fromLatin1(name));
    action.setText(text);
    action.setShortcut(keys);
    action.setShortcutContext(Qt::WindowShortcut);
    comp_fig_.addAction(&action);
}

void result::set_up_columns()
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

void result::show_broker(int grid_row, int broker)
{
    const QString name = decode_cp932(table_.broker(broker).name);
    const QString cost = currency_form(costs_.at(static_cast<std::size_t>(broker)));
    set_cell_text(grid_row, 0, name);
    set_cell_text(grid_row, 1, cost);
    // A screen reader reads the row whole, whichever of its cells it is on.
    for (int col = 0; col < 2; ++col)
        cell(grid_row, col)->setData(Qt::AccessibleTextRole, name + QStringLiteral("、") + cost);
}

QTableWidgetItem* result::cell(int row, int col) const
{
    QTableWidgetItem* item = row == 0 ? comp_fig_.horizontalHeaderItem(col) : comp_fig_.item(row - 1, col);
    Q_ASSERT(item);
    return item;
}

void result::set_cell_text(int row, int col, const QString& text)
{
    QTableWidgetItem* item = cell(row, col);
    item->setText(text);
    if (row == 0)
        return;
    item->setToolTip(text);
    // A figure too long for its fixed column gets a smaller font, never an
    // ellipsis: "¥284,752,…" would read as ¥284,752.
    const QFont font =
        shrink_to_fit(comp_fig_.font(), comp_fig_.columnWidth(col) - 2 * kCellPadding,
                      [&text](const QFont& f) { return QFontMetrics(f).horizontalAdvance(text); });
    item->setData(Qt::FontRole, font == comp_fig_.font() ? QVariant() : QVariant(font));
}

void result::set_cell_alignment(int row, int col, Qt::Alignment alignment)
{
    cell(row, col)->setTextAlignment(alignment);
}

void result::set_column_alignment(int col, Qt::Alignment alignment)
{
    for (int r = 1; r <= broker_rows(); ++r)
        set_cell_alignment(r, col, alignment);
}

void result::set_column_width(int col, int width_twips)
{
    comp_fig_.setColumnWidth(col, twips(width_twips));
}

void result::key_sort_Click()
{
    // The order comes from the exact costs, not the rounded cell texts, and
    // always from table order, so a second press changes nothing.
    shown_ = cost_order(costs_);
    for (std::size_t j = 0; j < shown_.size(); ++j)
        show_broker(static_cast<int>(j) + 1, shown_[j]);
    // Said to a screen reader, which sees no order otherwise.
    comp_fig_.setAccessibleDescription(QStringLiteral("年間費用の安い順に並べ替えてあります"));
    QAccessibleEvent sorted(&comp_fig_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&sorted);
}

void result::key_end3_Click()
{
    done(kCloseWithPlan);
}

void result::k_copy_Click()
{
    QGuiApplication::clipboard()->setText(ranking_tsv(table_, costs_, shown_));
}

namespace {

// The folder of the last ranking saved while the program runs.
QString& last_csv_folder()
{
    static QString folder;
    return folder;
}

} // namespace

void result::k_save_csv_Click()
{
    QString folder = last_csv_folder();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    // A name typed without an extension would open in no spreadsheet.
    const auto with_suffix = [](const QString& chosen) {
        return QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".csv") : chosen;
    };
    const auto chosen = prompter_.ask_save_path(
        QStringLiteral("CSVで保存"), QDir(folder).filePath(QStringLiteral("試算結果.csv")),
        QStringLiteral("CSV (*.csv)"), [this, &with_suffix](const QString& path) {
            return export_refusal_ ? export_refusal_(with_suffix(path)) : QString();
        });
    if (!chosen)
        return;
    const QString path = with_suffix(*chosen);
    if (const auto saved = save_ranking(path, ranking_csv(table_, costs_, shown_)); !saved) {
        prompter_.inform(QString::fromStdString(saved.error().message));
        return;
    }
    last_csv_folder() = QFileInfo(path).absolutePath();
}

} // namespace fee::ui
