#include "gui/windows/account_sets_window.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>

#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "core/text/csv.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/dialog.h"

namespace fee::ui {
namespace {

// The columns before the plan's rows; one more follows for each row with a count.
const QStringList kHeadings = {QStringLiteral("口座の数"), QStringLiteral("証券会社"),
                               QStringLiteral("年間の合計"), QStringLiteral("1 社との差")};

QString plan_row_heading(std::size_t row, const PlanRow& r)
{
    return QStringLiteral("%1 行目\n%2 × %3 回").arg(row + 1).arg(currency_form(r.amount)).arg(r.count);
}

} // namespace

AccountSetsWindow::AccountSetsWindow(const Participants& table, const TradePlan& plan,
                                     const std::vector<AccountSet>& sets, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("account_sets_window"));
    setWindowTitle(QStringLiteral("口座の組み合わせ"));
    setFont(proportional_gothic());
    account_sets_.setObjectName(QStringLiteral("account_sets"));
    account_sets_.setAccessibleName(QStringLiteral("口座の組み合わせの表"));
    account_sets_.setEditTriggers(QAbstractItemView::NoEditTriggers);
    account_sets_.setSelectionBehavior(QAbstractItemView::SelectRows);
    account_sets_.setWordWrap(false);
    account_sets_.verticalHeader()->hide();
    fill(table, plan, sets);

    close_button_.setObjectName(QStringLiteral("close_button"));
    close_button_.setText(QStringLiteral("閉じる(&X)"));
    close_button_.setAutoDefault(false);
    connect(&close_button_, &QPushButton::clicked, this, &QWidget::close);
    account_sets_.setContextMenuPolicy(Qt::ActionsContextMenu);
    add_window_action(account_sets_, copy_action_, QStringLiteral("コピー(&C)"),
                      QKeySequence(Qt::CTRL | Qt::Key_C), "copy_action");
    connect(&copy_action_, &QAction::triggered, this, &AccountSetsWindow::copy_sets);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&account_sets_);
    layout->addWidget(&close_button_, 0, Qt::AlignRight);
    // Every row and column in view: a window as large as its table.
    // On a screen too narrow, a scroll bar takes its height from the rows.
    account_sets_.setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    const QSize room = screen()->availableGeometry().size();
    QSize wanted = sizeHint();
    if (wanted.width() > room.width())
        wanted.rheight() += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(wanted.boundedTo(room));
    account_sets_.setFocus();
}

void AccountSetsWindow::fill(const Participants& table, const TradePlan& plan,
                             const std::vector<AccountSet>& sets)
{
    QStringList headings = kHeadings;
    std::vector<std::size_t> counted;
    for (std::size_t r = 0; r < plan.size(); ++r) {
        if (plan[r].count != 0) {
            counted.push_back(r);
            headings << plan_row_heading(r, plan[r]);
        }
    }
    account_sets_.setColumnCount(static_cast<int>(headings.size()));
    account_sets_.setHorizontalHeaderLabels(headings);
    account_sets_.setRowCount(static_cast<int>(sets.size()));
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const AccountSet& set = sets[i];
        QStringList names;
        for (const int m : set.members)
            names << table.name(m);
        const auto saving = saving_over_one_account(sets, set);
        QStringList cells = {QString::number(set.size), names.join(QStringLiteral("、")),
                             currency_form(set.total), saving ? currency_form(*saving) : QStringLiteral("—")};
        for (const std::size_t r : counted)
            cells << table.name(*set.taker[r]);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            const Qt::Alignment side = c == 0             ? Qt::AlignHCenter
                                       : c == 2 || c == 3 ? Qt::AlignRight
                                                          : Qt::AlignLeft;
            item->setTextAlignment(side | Qt::AlignVCenter);
            account_sets_.setItem(static_cast<int>(i), c, item);
        }
    }
    account_sets_.resizeColumnsToContents();
    account_sets_.resizeRowsToContents();
}

void AccountSetsWindow::copy_sets()
{
    std::vector<QStringList> rows;
    for (int r = -1; r < account_sets_.rowCount(); ++r) {
        QStringList& fields = rows.emplace_back();
        for (int c = 0; c < account_sets_.columnCount(); ++c) {
            const QTableWidgetItem* item =
                r < 0 ? account_sets_.horizontalHeaderItem(c) : account_sets_.item(r, c);
            fields << spreadsheet_text(QString(item->text()).replace(u'\n', u' '));
        }
    }
    QGuiApplication::clipboard()->setText(tsv_text(rows));
}

} // namespace fee::ui
