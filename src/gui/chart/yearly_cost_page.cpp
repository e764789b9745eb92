#include "gui/chart/yearly_cost_page.h"

#include <QGraphicsLineItem>
#include <algorithm>
#include <cmath>

#include "core/analysis/chart_text.h"
#include "core/fees/broker_table.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"

namespace fee::ui {

namespace {

BrokerLines yearly_lines(const YearlyChart& chart_data)
{
    BrokerLines lines;
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

} // namespace

YearlyCostPage::YearlyCostPage(const Participants& table, const TradePlan& plan)
    : ChartPage(table, QStringLiteral("年間の費用のグラフ"), QStringLiteral("year"),
                QStringLiteral("取引回数の倍率ごとの最も安い証券会社"),
                {QStringLiteral("取引回数の倍率"), QStringLiteral("最も安い証券会社"),
                 QStringLiteral("その年間の費用（範囲の最初 〜 最後）")}),
      data_(yearly_chart(table, plan)), runs_(data_.runs()),
      factors_(factor_scale(data_.factors.front(), data_.factors.back()))
{
    draw();
    lay_out(QStringLiteral("年間の費用"), {},
            QStringLiteral("取引回数を今の計画（×1）の何倍にしたときに、どの証券会社が最も安いか（破線の位置"
                           "で入れ替わります）"));
}

void YearlyCostPage::draw()
{
    QChart& chart = chart_.chart();
    // ×1 is the plan: the caption says so, and a longer title would not fit a narrow plot.
    QAbstractAxis* x = add_scale_axis(chart, Qt::AlignBottom, factors_, QStringLiteral("取引回数の倍率"));
    const BrokerLines lines = yearly_lines(data_);
    QAbstractAxis* y = add_scale_axis(chart, Qt::AlignLeft, money_scale_of(lines),
                                      QStringLiteral("年間の費用"), {QStringLiteral("維持費を含む")});
    chart_.draw(lines, overflow_notes(data_), *x, *y,
                [this](int row, QPointF point) { return tip(row, point); });
    for (std::size_t m = 1; m < runs_.size(); ++m) {
        auto* mark = new QGraphicsLineItem(&chart);
        mark->setPen(QPen(Qt::darkGray, 1.0, Qt::DashLine));
        marks_.push_back(mark);
    }
    connect(&chart, &QChart::plotAreaChanged, this, &YearlyCostPage::place_change_marks);
    list_cheapest();
}

void YearlyCostPage::list_cheapest()
{
    for (const YearlyRun& run : runs_) {
        const QString factors =
            span_text(factor_text(data_.factors[run.first]), factor_text(data_.factors[run.last]));
        if (run.row == kNoCheapest) {
            cheapest_.add_unranked(factors, data_.overflowing_within(run), QStringLiteral("年間の費用"));
            continue;
        }
        const auto& costs = data_.costs[static_cast<std::size_t>(run.row)];
        cheapest_.add_ranked(factors, run.row, *costs[run.first], *costs[run.last]);
    }
    cheapest_.fit_columns();
}

// Halfway on the logarithmic axis between the last factor of one cheapest
// broker and the first of the next.
void YearlyCostPage::place_change_marks()
{
    const QChart& chart = chart_.chart();
    const QRectF plot = chart.plotArea();
    for (std::size_t m = 0; m < marks_.size(); ++m) {
        const double between = std::sqrt(data_.factors[runs_[m].last] * data_.factors[runs_[m + 1].first]);
        const double at = plot.left() + plot.width() * factors_.fraction(between);
        marks_[m]->setLine(at, plot.top(), at, plot.bottom());
    }
}

QString YearlyCostPage::tip(int row, QPointF point) const
{
    const std::size_t nearest = data_.nearest_factor(point.x());
    const std::optional<Money> cost = data_.costs[static_cast<std::size_t>(row)][nearest];
    if (!cost)
        return {};
    return quoted_text(table_.name(row)) + QStringLiteral("\n取引回数 ") +
           factor_text(data_.factors[nearest]) + QStringLiteral("\n年間の費用 ") + exact_yen(*cost);
}

} // namespace fee::ui
