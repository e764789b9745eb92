#include "gui/chart/chart_window.h"

#include <QCursor>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "core/analysis/chart_text.h"
#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "gui/chart/chart_axes.h"
#include "gui/chart/screen_fit.h"
#include "gui/layout/box_text.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

constexpr std::size_t kMaxListedRuns = 1000;
const QSize kWantedSize{980, 680};
const QSize kSmallestSize{560, 420};

// Two neighbouring points are joined unless the commission overflows between them.
std::vector<std::vector<QList<QPointF>>> trade_lines(const CommissionChart& chart_data)
{
    std::vector<std::vector<QList<QPointF>>> lines;
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

std::vector<std::vector<QList<QPointF>>> year_lines(const YearlyChart& chart_data)
{
    std::vector<std::vector<QList<QPointF>>> lines;
    for (const std::vector<std::optional<Money>>& costs : chart_data.costs) {
        auto& row = lines.emplace_back();
        bool across = true;
        for (std::size_t i = 0; i < costs.size(); ++i) {
            if (costs[i] && across)
                row.emplace_back();
            across = !costs[i];
            if (costs[i])
                row.back().append({chart_data.factors[i], costs[i]->to_double_yen()});
        }
    }
    return lines;
}

// A page with `top` above the chart and its legend, and the list below.
QWidget* page_of(const QString& name, const QList<QWidget*>& top, ChartWithLegend& chart,
                 const QString& caption, QTableWidget& list)
{
    auto* page = new QWidget;
    page->setAccessibleName(name);
    auto* layout = new QVBoxLayout(page);
    for (QWidget* w : top)
        layout->addWidget(w);
    layout->addWidget(&chart, 3);
    auto* label = new QLabel(caption);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(&list, 1);
    return page;
}

} // namespace

chart_window::chart_window(const BrokerTable& table, const TradePlan& plan, QWidget* parent)
    : QWidget(parent, Qt::Window),
      trade_(table, QStringLiteral("1 回の手数料のグラフ"), QStringLiteral("trade")),
      trade_cheapest(table, QStringLiteral("trade_cheapest"),
                     QStringLiteral("取引金額ごとの最も安い証券会社"),
                     {QStringLiteral("1 回の取引金額"), QStringLiteral("最も安い証券会社"),
                      QStringLiteral("その手数料（範囲の最初 〜 最後）")}),
      year_(table, QStringLiteral("年間の費用のグラフ"), QStringLiteral("year")),
      year_cheapest(table, QStringLiteral("year_cheapest"),
                    QStringLiteral("取引回数の倍率ごとの最も安い証券会社"),
                    {QStringLiteral("取引回数の倍率"), QStringLiteral("最も安い証券会社"),
                     QStringLiteral("その年間の費用（範囲の最初 〜 最後）")}),
      table_(table), plan_(plan)
{
    setObjectName(QStringLiteral("chart_window"));
    setWindowTitle(QStringLiteral("手数料のグラフ"));
    setFont(proportional_gothic());
    new ScreenFit(*this, kWantedSize, kSmallestSize);

    chart_tabs.setObjectName(QStringLiteral("chart_tabs"));
    chart_tabs.setAccessibleName(QStringLiteral("グラフの種類"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&chart_tabs);
    chart_tabs.addTab(trade_page(), QStringLiteral("1回の手数料"));
    chart_tabs.addTab(year_page(), QStringLiteral("年間の費用"));
}

QWidget* chart_window::trade_page()
{
    range_message.setObjectName(QStringLiteral("range_message"));
    range_message.setWordWrap(true);
    range_message.hide();
    QChart* chart = &trade_.chart();
    connect(chart, &QChart::plotAreaChanged, this, [chart] { slant_crowded_labels(*chart); });
    draw_trade(kChartAmounts);
    return page_of(QStringLiteral("1 回の手数料"), {range_row(), &range_message}, trade_,
                   QStringLiteral("取引金額ごとの最も安い証券会社（同額なら表の順で先の会社）"),
                   trade_cheapest);
}

// The range of amounts, as the companion's cheapest takes it, and the button
// that draws it; Enter in a box draws it too.
QWidget* chart_window::range_row()
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
    for (const Box& box : {Box{trade_from, QStringLiteral("trade_from"), QStringLiteral("最初の金額"),
                               QStringLiteral("(&F)"), kChartAmounts.from},
                           Box{trade_to, QStringLiteral("trade_to"), QStringLiteral("最後の金額"),
                               QStringLiteral("(&T)"), kChartAmounts.to}}) {
        box.edit.setObjectName(box.object_name);
        box.edit.setAccessibleName(box.name);
        box.edit.setFont(number_box_font());
        box.edit.setText(currency_form(Money::from_whole_yen(box.amount)));
        auto* caption = new QLabel(box.name + box.access_key);
        caption->setObjectName(box.object_name + QStringLiteral("_caption"));
        caption->setBuddy(&box.edit);
        layout->addWidget(caption);
        layout->addWidget(&box.edit);
        connect(&box.edit, &QLineEdit::returnPressed, this, &chart_window::redraw_trade);
    }
    key_redraw.setObjectName(QStringLiteral("key_redraw"));
    key_redraw.setText(QStringLiteral("描き直す(&R)"));
    key_redraw.setAccessibleName(QStringLiteral("描き直す"));
    key_redraw.setAutoDefault(false);
    connect(&key_redraw, &QPushButton::clicked, this, &chart_window::redraw_trade);
    layout->addWidget(&key_redraw);
    layout->addStretch();
    return row;
}

QWidget* chart_window::year_page()
{
    year_data_ = yearly_chart(table_, plan_);
    fill_year_chart(year_data_);
    return page_of(
        QStringLiteral("年間の費用"), {}, year_,
        QStringLiteral(
            "今の計画の回数を何倍にしたときに、どの証券会社が最も安いか（破線の位置で入れ替わります）"),
        year_cheapest);
}

void chart_window::redraw_trade()
{
    const auto range = chart_range(trade_from.text(), trade_to.text());
    for (QLineEdit* box : {&trade_from, &trade_to})
        box->setAccessibleDescription({});
    if (!range) {
        QLineEdit& box = range.error().box == RangeRefusal::Box::First ? trade_from : trade_to;
        range_message.setText(QString::fromStdString(range.error().message));
        range_message.show();
        // Where the focus goes, a screen reader reads why.
        box.setAccessibleDescription(range_message.text());
        select_for_retyping(box);
        return;
    }
    range_message.hide();
    trade_from.setText(currency_form(Money::from_whole_yen(range->from)));
    trade_to.setText(currency_form(Money::from_whole_yen(range->to)));
    draw_trade(range.value());
}

void chart_window::draw_trade(AmountRange range)
{
    trade_range_ = range;
    trade_.clear();
    QChart& chart = trade_.chart();
    const CommissionChart chart_data = commission_chart(table_, range);
    const auto from = static_cast<double>(range.from);
    const auto to = static_cast<double>(range.to);
    // One amount alone, which a logarithmic axis cannot span, gets a hair of room.
    auto* x = add_log_x(chart, QStringLiteral("1 回の取引金額（円、対数目盛）"), "%.0f",
                        from < to ? from : from * 0.999, from < to ? to : to * 1.001);
    const auto lines = trade_lines(chart_data);
    QAbstractAxis* y = add_money_axis(chart, lines, QStringLiteral("1 回の手数料（円"));
    trade_.draw(lines, overflow_notes(chart_data), *x, *y,
                [this](int row, QPointF point) { return trade_tip(row, point); });
    list_trade_cheapest(chart_data);
}

void chart_window::list_trade_cheapest(const CommissionChart& chart_data)
{
    trade_cheapest.setRowCount(0);
    // Rates a float step apart can make hundreds of thousands of runs; the
    // companion lists them all.
    const std::size_t listed = std::min(chart_data.cheapest.size(), kMaxListedRuns);
    for (std::size_t i = 0; i < listed; ++i) {
        const CheapestRun& run = chart_data.cheapest[i];
        const QString amounts = span_text(currency_form(Money::from_whole_yen(run.from)),
                                          currency_form(Money::from_whole_yen(run.to)));
        if (run.row == kNoCheapest)
            trade_cheapest.add_unranked(
                amounts,
                [&](std::size_t b) {
                    return std::any_of(
                        chart_data.overflows[b].begin(), chart_data.overflows[b].end(),
                        [&](const AmountRange& o) { return o.from <= run.to && run.from <= o.to; });
                },
                QStringLiteral("手数料"));
        else
            trade_cheapest.add_ranked(amounts, run.row, run.commission_from, run.commission_to);
    }
    if (listed < chart_data.cheapest.size())
        trade_cheapest.add_row({QStringLiteral("ほか %1 範囲").arg(chart_data.cheapest.size() - listed),
                                QStringLiteral("すべては fee-compare-cli cheapest で出力できます")});
    trade_cheapest.fit_columns();
}

void chart_window::fill_year_chart(const YearlyChart& chart_data)
{
    QChart& chart = year_.chart();
    // A hair wider than the factors, so that the ticks at 0.1 and 10 are drawn.
    auto* x = add_log_x(chart, QStringLiteral("取引回数の倍率（今の計画 = 1、対数目盛）"), "%g",
                        chart_data.factors.front() * 0.999, chart_data.factors.back() * 1.001);
    const auto lines = year_lines(chart_data);
    QAbstractAxis* y = add_money_axis(chart, lines, QStringLiteral("年間の費用（円、維持費を含む"));
    year_.draw(lines, overflow_notes(chart_data), *x, *y,
               [this](int row, QPointF point) { return year_tip(row, point); });
    for (std::size_t m = 1; m < chart_data.runs().size(); ++m) {
        auto* mark = new QGraphicsLineItem(&chart);
        mark->setPen(QPen(Qt::darkGray, 1.0, Qt::DashLine));
        marks_.push_back(mark);
    }
    connect(&chart, &QChart::plotAreaChanged, this, &chart_window::place_change_marks);
    list_year_cheapest(chart_data);
}

void chart_window::list_year_cheapest(const YearlyChart& chart_data)
{
    for (const YearlyRun& run : chart_data.runs()) {
        const QString factors =
            span_text(factor_text(chart_data.factors[run.first]), factor_text(chart_data.factors[run.last]));
        if (run.row == kNoCheapest) {
            year_cheapest.add_unranked(
                factors,
                [&](std::size_t b) {
                    return std::any_of(
                        chart_data.overflows[b].begin(), chart_data.overflows[b].end(),
                        [&](const FactorRange& o) { return o.first <= run.last && run.first <= o.last; });
                },
                QStringLiteral("年間の費用"));
            continue;
        }
        const auto& costs = chart_data.costs[static_cast<std::size_t>(run.row)];
        year_cheapest.add_ranked(factors, run.row, *costs[run.first], *costs[run.last]);
    }
    year_cheapest.fit_columns();
}

// Halfway on the logarithmic axis between the last factor of one cheapest
// broker and the first of the next.
void chart_window::place_change_marks()
{
    QChart& chart = year_.chart();
    const auto* x = qobject_cast<QLogValueAxis*>(chart.axes(Qt::Horizontal).value(0));
    if (!x)
        return;
    const QRectF plot = chart.plotArea();
    const std::vector<YearlyRun> runs = year_data_.runs();
    const std::vector<double>& factors = year_data_.factors;
    for (std::size_t m = 0; m < marks_.size(); ++m) {
        const double between = std::sqrt(factors[runs[m].last] * factors[runs[m + 1].first]);
        const double at =
            plot.left() + plot.width() * std::log(between / x->min()) / std::log(x->max() / x->min());
        marks_[m]->setLine(at, plot.top(), at, plot.bottom());
    }
}

QString chart_window::trade_tip(int row, QPointF point) const
{
    const std::int64_t amount =
        std::clamp<std::int64_t>(std::llround(point.x()), trade_range_.from, trade_range_.to);
    const Money money = Money::from_whole_yen(amount);
    const auto commission = trade_commission(table_.broker(row), money);
    if (!commission)
        return {};
    return decode_cp932(table_.broker(row).name) + u'\n' + currency_form(money) +
           QStringLiteral(" の取引\n手数料 ") + exact_yen(*commission);
}

QString chart_window::year_tip(int row, QPointF point) const
{
    const std::size_t nearest = year_data_.nearest_factor(point.x());
    const std::optional<Money> cost = year_data_.costs[static_cast<std::size_t>(row)][nearest];
    if (!cost)
        return {};
    return decode_cp932(table_.broker(row).name) + QStringLiteral("\n取引回数 ") +
           factor_text(year_data_.factors[nearest]) + QStringLiteral("\n年間の費用 ") + exact_yen(*cost);
}

// The legends' share of the window is the window's to give.
void chart_window::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (ChartWithLegend* chart : {&trade_, &year_})
        chart->limit_legend(width());
}

} // namespace fee::ui
