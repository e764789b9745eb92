#include "gui/chart/replay_chart.h"

#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/analysis/chart_text.h"
#include "core/text/message_text.h"
#include "gui/chart/screen_fit.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

const QSize kWantedSize{900, 600};
const QSize kSmallestSize{520, 380};

QString paid_name()
{
    return QStringLiteral("この履歴で支払った手数料");
}

std::vector<LegendEntry> entries_for(const Participants& table, const ReplayMonths& months)
{
    std::vector<LegendEntry> entries;
    for (const int row : months.brokers)
        entries.push_back(ChartWithLegend::broker_entry(table, row));
    if (!months.paid.empty()) {
        // Apart from every broker's colour and style: what really happened.
        QPen pen(QColor(0x20, 0x20, 0x20));
        pen.setWidthF(3.0);
        entries.push_back({paid_name(), pen});
    }
    return entries;
}

QList<QPointF> line_of(const std::vector<MonthlyCost>& costs)
{
    QList<QPointF> points;
    for (std::size_t i = 0; i < costs.size(); ++i)
        points.append({static_cast<double>(i), costs[i].cost.to_double_yen()});
    return points;
}

QString month_text(int month)
{
    return QStringLiteral("%1年%2月").arg(month / 100).arg(month % 100);
}

} // namespace

ReplayChart::ReplayChart(const Participants& table, const ReplayMonths& months, QWidget* parent)
    : QWidget(parent, Qt::Window), months_(months),
      chart_(entries_for(table, months), QStringLiteral("月ごとの累計費用のグラフ"), QStringLiteral("replay"))
{
    setObjectName(QStringLiteral("replay_chart_window"));
    setWindowTitle(QStringLiteral("取引履歴のグラフ — %1").arg(months.file_name));
    setFont(proportional_gothic());
    new ScreenFit(*this, kWantedSize, kSmallestSize);

    BrokerLines lines;
    for (const auto& costs : months_.costs)
        lines.push_back({line_of(costs)});
    if (!months_.paid.empty())
        lines.push_back({line_of(months_.paid)});
    double high = 0.0;
    for (const auto& line : lines)
        for (const QPointF& p : line.front())
            high = std::max(high, p.y());
    std::vector<int> calendar;
    for (const MonthlyCost& c : months_.costs.empty() ? months_.paid : months_.costs.front())
        calendar.push_back(c.month);
    for (const int row : months_.brokers)
        names_ << quoted_text(table.name(row));
    QChart& chart = chart_.chart();
    QAbstractAxis* x = add_month_axis(chart, calendar, QStringLiteral("月"));
    // From ¥0 even where the first month costs a lot: a running total.
    QAbstractAxis* y = add_scale_axis(chart, Qt::AlignLeft, money_scale(0.0, high),
                                      QStringLiteral("その月までの合計"), {QStringLiteral("維持費を含む")});
    chart_.draw(lines, QStringList(static_cast<qsizetype>(lines.size()), QString()), *x, *y,
                [this](int entry, QPointF point) { return tip(entry, point); });

    auto* caption = new QLabel(
        QStringLiteral("同じ取引を最も安い %1 社で行った場合の、手数料と維持費の月ごとの累計です。維持費は"
                       "各年の最初の取引の月に加えています。")
            .arg(months_.brokers.size()) +
        (months_.paid.empty() ? QString()
                              : QStringLiteral("太い線は、ファイルの手数料の列による実際の支払いです。")));
    caption->setObjectName(QStringLiteral("replay_chart_caption"));
    caption->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&chart_, 1);
    layout->addWidget(caption);
    chart_.setAccessibleDescription(caption->text());
}

void ReplayChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    chart_.limit_legend(width());
}

QString ReplayChart::tip(int entry, QPointF point) const
{
    const bool paid = static_cast<std::size_t>(entry) >= months_.costs.size();
    const std::vector<MonthlyCost>& costs =
        paid ? months_.paid : months_.costs[static_cast<std::size_t>(entry)];
    if (costs.empty())
        return {};
    const auto i =
        static_cast<std::size_t>(std::clamp(std::lround(point.x()), 0L, static_cast<long>(costs.size()) - 1));
    return QStringLiteral("%1\n%2まで\n%3")
        .arg(paid ? paid_name() : names_[entry], month_text(costs[i].month), exact_yen(costs[i].cost));
}

} // namespace fee::ui
