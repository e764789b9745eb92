#include "gui/chart/commission_page.h"

#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/analysis/chart_text.h"
#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"
#include "gui/layout/box_text.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

// Rates a float step apart can make hundreds of thousands of runs; the
// companion lists them all.
constexpr std::size_t kMaxListedRuns = 1000;

// Two neighbouring points are joined unless the commission overflows between them.
BrokerLines commission_lines(const CommissionChart& chart_data)
{
    BrokerLines lines;
    for (std::size_t b = 0; b < chart_data.curves.size(); ++b) {
        auto& row = lines.emplace_back();
        const std::vector<AmountRange>& overflows = chart_data.overflows[b];
        std::size_t o = 0;
        for (const CommissionPoint& p : chart_data.curves[b]) {
            bool across = row.empty();
            for (; o < overflows.size() && overflows[o].to < p.amount; ++o)
                across = true;
            if (across)
                row.emplace_back();
            row.back().append({static_cast<double>(p.amount), p.commission.to_double_yen()});
        }
    }
    return lines;
}

} // namespace

CommissionPage::CommissionPage(const Participants& table)
    : ChartPage(table, QStringLiteral("1 回の手数料のグラフ"), QStringLiteral("trade"),
                QStringLiteral("取引金額ごとの最も安い証券会社"),
                {QStringLiteral("1 回の取引金額"), QStringLiteral("最も安い証券会社"),
                 QStringLiteral("その手数料（範囲の最初 〜 最後）")})
{
    range_message_.setObjectName(QStringLiteral("range_message"));
    range_message_.setWordWrap(true);
    range_message_.hide();
    draw(kChartAmounts);
    lay_out(QStringLiteral("1 回の手数料"), {range_row(), &range_message_},
            QStringLiteral("取引金額ごとの最も安い証券会社（同額なら表の順で先の会社）"));
}

// The range of amounts, as the companion's cheapest takes it, and the button
// that draws it; Enter in a box draws it too.
QWidget* CommissionPage::range_row()
{
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("range_row"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins({});
    struct Box {
        QLineEdit& edit;
        QString object_name;
        QString name;
        QString access_key;
        std::int64_t amount;
    };
    for (const Box& box : {Box{from_box_, QStringLiteral("trade_from"), QStringLiteral("最初の金額"),
                               QStringLiteral("(&F)"), kChartAmounts.from},
                           Box{to_box_, QStringLiteral("trade_to"), QStringLiteral("最後の金額"),
                               QStringLiteral("(&T)"), kChartAmounts.to}}) {
        box.edit.setObjectName(box.object_name);
        box.edit.setAccessibleName(box.name);
        box.edit.setFont(number_box_font());
        box.edit.setText(yen_text(box.amount));
        auto* caption = new QLabel(box.name + box.access_key);
        caption->setObjectName(box.object_name + QStringLiteral("_caption"));
        caption->setBuddy(&box.edit);
        layout->addWidget(caption);
        layout->addWidget(&box.edit);
        connect(&box.edit, &QLineEdit::returnPressed, this, &CommissionPage::redraw);
    }
    redraw_button_.setObjectName(QStringLiteral("redraw_button"));
    redraw_button_.setText(QStringLiteral("描き直す(&R)"));
    redraw_button_.setAccessibleName(QStringLiteral("描き直す"));
    redraw_button_.setAutoDefault(false);
    connect(&redraw_button_, &QPushButton::clicked, this, &CommissionPage::redraw);
    layout->addWidget(&redraw_button_);
    layout->addStretch();
    return row;
}

void CommissionPage::redraw()
{
    const auto range = chart_range(from_box_.text(), to_box_.text());
    for (QLineEdit* box : {&from_box_, &to_box_})
        box->setAccessibleDescription({});
    if (!range) {
        QLineEdit& box = range.error().box == RangeRefusal::Box::First ? from_box_ : to_box_;
        range_message_.setText(QString::fromStdString(range.error().message));
        range_message_.show();
        // Where the focus goes, a screen reader reads why.
        box.setAccessibleDescription(range_message_.text());
        select_for_retyping(box);
        return;
    }
    range_message_.hide();
    from_box_.setText(yen_text(range->from));
    to_box_.setText(yen_text(range->to));
    draw(range.value());
}

void CommissionPage::draw(AmountRange range)
{
    range_ = range;
    chart_.clear();
    const CommissionChart chart_data = commission_chart(table_, range);
    QAbstractAxis* x = add_scale_axis(chart_.chart(), Qt::AlignBottom, amount_scale(range),
                                      QStringLiteral("1 回の取引金額"));
    const BrokerLines lines = commission_lines(chart_data);
    QAbstractAxis* y =
        add_scale_axis(chart_.chart(), Qt::AlignLeft, money_scale_of(lines), QStringLiteral("1 回の手数料"));
    chart_.draw(lines, overflow_notes(chart_data), *x, *y,
                [this](int row, QPointF point) { return tip(row, point); });
    list_cheapest(chart_data);
}

void CommissionPage::list_cheapest(const CommissionChart& chart_data)
{
    cheapest_.setRowCount(0);
    if (!chart_data.unranked.empty()) {
        const QString why = QString::fromStdString(chart_data.unranked);
        cheapest_.add_row({span_text(yen_text(chart_data.range.from), yen_text(chart_data.range.to)),
                           QStringLiteral("（比べられません）"), why});
        cheapest_.item(0, 2)->setToolTip(why); // longer than its cell
    }
    const std::size_t listed = std::min(chart_data.cheapest.size(), kMaxListedRuns);
    for (std::size_t i = 0; i < listed; ++i) {
        const CheapestRun& run = chart_data.cheapest[i];
        const QString amounts = span_text(yen_text(run.from), yen_text(run.to));
        if (run.row == kNoCheapest)
            cheapest_.add_unranked(amounts, chart_data.overflowing_within({run.from, run.to}),
                                   QStringLiteral("手数料"));
        else
            cheapest_.add_ranked(amounts, run.row, run.commission_from, run.commission_to);
    }
    if (listed < chart_data.cheapest.size())
        cheapest_.add_row({QStringLiteral("ほか %1 範囲").arg(chart_data.cheapest.size() - listed),
                           QStringLiteral("すべては fee-compare-cli cheapest で出力できます")});
    cheapest_.fit_columns();
}

QString CommissionPage::tip(int row, QPointF point) const
{
    const std::int64_t amount = std::clamp<std::int64_t>(std::llround(point.x()), range_.from, range_.to);
    const Money money = Money::from_whole_yen(amount);
    const auto commission = table_.commission(row, money);
    if (!commission)
        return {};
    return quoted_text(table_.name(row)) + u'\n' + currency_form(money) + QStringLiteral(" の取引\n手数料 ") +
           exact_yen(*commission);
}

} // namespace fee::ui
