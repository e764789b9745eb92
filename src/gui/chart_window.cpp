#include "gui/chart_window.h"

#include <QCursor>
#include <QGraphicsLineItem>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/broker_table.h"
#include "core/codepage.h"
#include "core/cost_messages.h"
#include "core/number_text.h"
#include "gui/ui_font.h"

namespace fee::ui {

namespace {

// Seven hues, then the same hues dashed and dotted: 21 brokers stay apart,
// and each keeps its look on both tabs.
QPen broker_pen(int row)
{
    QPen pen(QColor::fromHsv((row % 7) * 360 / 7, 220, row % 2 ? 170 : 220));
    pen.setWidthF(2.0);
    static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine};
    pen.setStyle(kStyles[(row / 7) % 3]);
    return pen;
}

constexpr std::size_t kMaxListedRuns = 1000;

QString exact_yen(Money amount)
{
    return QStringLiteral("%1 円（%2）").arg(general_form(amount), currency_form(amount));
}

QString factor_text(double factor)
{
    return QStringLiteral("×") + QString::number(factor, 'f', 2);
}

void setup_list(QTableWidget& list, const QStringList& headers)
{
    list.setColumnCount(static_cast<int>(headers.size()));
    list.setHorizontalHeaderLabels(headers);
    list.verticalHeader()->hide();
    list.horizontalHeader()->setStretchLastSection(true);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setWordWrap(false);
}

void add_list_row(QTableWidget& list, const QStringList& cells)
{
    const int row = list.rowCount();
    list.insertRow(row);
    for (int c = 0; c < cells.size(); ++c)
        list.setItem(row, c, new QTableWidgetItem(cells[c]));
}

// A page with the chart above and its list below, or the reason there is none.
QWidget* page_of(QChartView& view, const QString& caption, QTableWidget& list, const QString& failure)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    if (!failure.isEmpty()) {
        auto* why = new QLabel(failure);
        why->setWordWrap(true);
        layout->addWidget(why, 0, Qt::AlignTop);
        view.hide();
        list.hide();
        return page;
    }
    layout->addWidget(&view, 3);
    layout->addWidget(new QLabel(caption));
    layout->addWidget(&list, 1);
    return page;
}

template <typename Axis> Axis* add_axis(QChart& chart, Qt::Alignment side, const QString& title)
{
    auto* axis = new Axis;
    axis->setTitleText(title);
    axis->setTitleFont(proportional_gothic());
    axis->setLabelsFont(proportional_gothic());
    chart.addAxis(axis, side);
    return axis;
}

// Amounts of money span from a tenth of a yen to millions: on a logarithmic
// scale every broker stays readable, unless some point is 0 or below.
QAbstractAxis* add_money_axis(QChart& chart, const std::vector<QList<QPointF>>& lines, const QString& title)
{
    double low = std::numeric_limits<double>::infinity();
    double high = 0.0;
    for (const QList<QPointF>& points : lines)
        for (const QPointF& p : points) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    if (low > 0.0 && std::isfinite(low)) {
        auto* axis = add_axis<QLogValueAxis>(chart, Qt::AlignLeft, title + QStringLiteral("、対数目盛）"));
        axis->setLabelFormat(low >= 1.0 ? QStringLiteral("%.0f") : QStringLiteral("%g"));
        axis->setRange(std::pow(10.0, std::floor(std::log10(low))),
                       std::pow(10.0, std::ceil(std::log10(high))));
        return axis;
    }
    auto* axis = add_axis<QValueAxis>(chart, Qt::AlignLeft, title + QStringLiteral("）"));
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setRange(std::min(low, 0.0), high > 0.0 ? high * 1.05 : 1.0);
    axis->applyNiceNumbers();
    return axis;
}

} // namespace

chart_window::chart_window(const BrokerTable& table, const TradePlan& plan, QWidget* parent)
    : QWidget(parent, Qt::Window), table_(table), plan_(plan)
{
    setObjectName(QStringLiteral("chart_window"));
    setWindowTitle(QStringLiteral("手数料のグラフ"));
    setFont(proportional_gothic());
    setMinimumSize(560, 420);
    resize(980, 680);

    chart_tabs.setObjectName(QStringLiteral("chart_tabs"));
    trade_chart.setObjectName(QStringLiteral("trade_chart"));
    trade_cheapest.setObjectName(QStringLiteral("trade_cheapest"));
    year_chart.setObjectName(QStringLiteral("year_chart"));
    year_cheapest.setObjectName(QStringLiteral("year_cheapest"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&chart_tabs);
    chart_tabs.addTab(trade_page(), QStringLiteral("1回の手数料"));
    chart_tabs.addTab(year_page(), QStringLiteral("年間の費用"));
}

QWidget* chart_window::trade_page()
{
    setup_list(trade_cheapest, {QStringLiteral("1 回の取引金額"), QStringLiteral("最も安い証券会社"),
                                QStringLiteral("その手数料（範囲の最初 〜 最後）")});
    const CommissionChart chart_data = commission_chart(table_);
    QString failure;
    for (std::size_t b = chart_data.overflows.size(); b-- > 0;)
        if (!chart_data.overflows[b].empty())
            failure = QString::fromStdString(trade_overflow_message(
                table_, TradeOverflow{static_cast<int>(b), chart_data.overflows[b].front().from}));
    if (failure.isEmpty())
        fill_trade_chart(chart_data);
    return page_of(trade_chart, QStringLiteral("取引金額ごとの最も安い証券会社（同額なら表の順で先の会社）"),
                   trade_cheapest, failure);
}

QWidget* chart_window::year_page()
{
    setup_list(year_cheapest, {QStringLiteral("取引回数の倍率"), QStringLiteral("最も安い証券会社"),
                               QStringLiteral("その年間の費用（範囲の最初 〜 最後）")});
    YearlyChart chart_data = yearly_chart(table_, plan_);
    QString failure;
    for (std::size_t b = chart_data.costs.size(); b-- > 0;)
        if (std::count(chart_data.costs[b].begin(), chart_data.costs[b].end(), std::nullopt) > 0)
            failure =
                QString::fromStdString(cost_overflow_message(table_, CostOverflow{static_cast<int>(b)}));
    if (failure.isEmpty()) {
        year_ = std::move(chart_data);
        fill_year_chart(*year_);
    }
    return page_of(
        year_chart,
        QStringLiteral(
            "今の計画の回数を何倍にしたときに、どの証券会社が最も安いか（破線の位置で入れ替わります）"),
        year_cheapest, failure);
}

QLineSeries* chart_window::add_line(QChart& chart, int row, const QList<QPointF>& points)
{
    auto* series = new QLineSeries;
    series->setName(decode_cp932(table_.broker(row).name));
    series->setPen(broker_pen(row));
    series->replace(points);
    chart.addSeries(series);
    return series;
}

void chart_window::fill_trade_chart(const CommissionChart& chart_data)
{
    std::vector<QList<QPointF>> lines;
    for (const auto& curve : chart_data.curves) {
        QList<QPointF>& points = lines.emplace_back();
        for (const CommissionPoint& p : curve)
            points.append({static_cast<double>(p.amount), p.commission.to_double_yen()});
    }
    QChart& chart = *trade_chart.chart();
    auto* x =
        add_axis<QLogValueAxis>(chart, Qt::AlignBottom, QStringLiteral("1 回の取引金額（円、対数目盛）"));
    x->setLabelFormat(QStringLiteral("%.0f"));
    x->setMinorTickCount(8);
    x->setRange(static_cast<double>(chart_data.range.from), static_cast<double>(chart_data.range.to));
    QAbstractAxis* y = add_money_axis(chart, lines, QStringLiteral("1 回の手数料（円"));
    add_lines(chart, lines, *x, *y, &chart_window::show_trade_tip);
    // Rates a float step apart can make hundreds of thousands of runs; the
    // companion lists them all.
    const std::size_t listed = std::min(chart_data.cheapest.size(), kMaxListedRuns);
    for (std::size_t i = 0; i < listed; ++i) {
        const CheapestRun& run = chart_data.cheapest[i];
        add_list_row(trade_cheapest, {currency_form(*Money::from_yen(run.from)) + QStringLiteral(" 〜 ") +
                                          currency_form(*Money::from_yen(run.to)),
                                      decode_cp932(table_.broker(run.row).name),
                                      general_form(run.commission_from) + QStringLiteral(" 円 〜 ") +
                                          general_form(run.commission_to) + QStringLiteral(" 円")});
    }
    if (listed < chart_data.cheapest.size())
        add_list_row(trade_cheapest, {QStringLiteral("ほか %1 範囲").arg(chart_data.cheapest.size() - listed),
                                      QStringLiteral("すべては fee-compare-cli cheapest で出力できます")});
    trade_cheapest.resizeColumnsToContents();
}

void chart_window::add_lines(QChart& chart, const std::vector<QList<QPointF>>& lines, QAbstractAxis& x,
                             QAbstractAxis& y, void (chart_window::*tip)(int, QPointF, bool))
{
    for (std::size_t b = 0; b < lines.size(); ++b) {
        const int row = static_cast<int>(b);
        QLineSeries* series = add_line(chart, row, lines[b]);
        series->attachAxis(&x);
        series->attachAxis(&y);
        connect(series, &QLineSeries::hovered, this,
                [this, row, tip](const QPointF& at, bool inside) { (this->*tip)(row, at, inside); });
    }
    setup_legend(chart);
}

void chart_window::fill_year_chart(const YearlyChart& chart_data)
{
    std::vector<QList<QPointF>> lines;
    for (const std::vector<std::optional<Money>>& costs : chart_data.costs) {
        QList<QPointF>& points = lines.emplace_back();
        for (std::size_t i = 0; i < chart_data.factors.size(); ++i)
            points.append({chart_data.factors[i], costs[i]->to_double_yen()});
    }
    QChart& chart = *year_chart.chart();
    auto* x = add_axis<QLogValueAxis>(chart, Qt::AlignBottom,
                                      QStringLiteral("取引回数の倍率（今の計画 = 1、対数目盛）"));
    x->setLabelFormat(QStringLiteral("%g"));
    x->setMinorTickCount(8);
    // A hair wider than the factors, so that the ticks at 0.1 and 10 are drawn.
    x->setRange(chart_data.factors.front() * 0.999, chart_data.factors.back() * 1.001);
    QAbstractAxis* y = add_money_axis(chart, lines, QStringLiteral("年間の費用（円、維持費を含む"));
    add_lines(chart, lines, *x, *y, &chart_window::show_year_tip);
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
        const std::vector<std::optional<Money>>& costs = chart_data.costs[static_cast<std::size_t>(run.row)];
        add_list_row(year_cheapest, {factor_text(chart_data.factors[run.first]) + QStringLiteral(" 〜 ") +
                                         factor_text(chart_data.factors[run.last]),
                                     decode_cp932(table_.broker(run.row).name),
                                     general_form(*costs[run.first]) + QStringLiteral(" 円 〜 ") +
                                         general_form(*costs[run.last]) + QStringLiteral(" 円")});
    }
    year_cheapest.resizeColumnsToContents();
}

// Halfway on the logarithmic axis between the last factor of one cheapest
// broker and the first of the next.
void chart_window::place_change_marks()
{
    if (!year_)
        return;
    QChart& chart = *year_chart.chart();
    const QRectF plot = chart.plotArea();
    const std::vector<YearlyRun> runs = year_->runs();
    // Only x counts, but a logarithmic y axis maps no cost of 0 or below; a
    // cost of the chart is one it maps.
    const double y = year_->costs.front().front()->to_double_yen();
    for (std::size_t m = 0; m < marks_.size(); ++m) {
        const double between = std::sqrt(year_->factors[runs[m].last] * year_->factors[runs[m + 1].first]);
        const double x = chart.mapToPosition({between, y}, chart.series().front()).x();
        marks_[m]->setLine(x, plot.top(), x, plot.bottom());
    }
}

void chart_window::setup_legend(QChart& chart)
{
    QLegend* legend = chart.legend();
    legend->setAlignment(Qt::AlignRight);
    legend->setFont(proportional_gothic());
    for (QLegendMarker* marker : legend->markers()) {
        connect(marker, &QLegendMarker::clicked, this, [marker] {
            QAbstractSeries* series = marker->series();
            series->setVisible(!series->isVisible());
            // Hiding a series hides its legend entry too; keep it, greyed, to click again.
            marker->setVisible(true);
            QColor text = marker->labelBrush().color();
            text.setAlphaF(series->isVisible() ? 1.0f : 0.4f);
            marker->setLabelBrush(text);
        });
    }
}

void chart_window::show_trade_tip(int row, QPointF point, bool inside)
{
    if (!inside) {
        QToolTip::hideText();
        return;
    }
    const std::int64_t amount =
        std::clamp<std::int64_t>(std::llround(point.x()), kChartAmounts.from, kChartAmounts.to);
    const Money money = *Money::from_yen(amount);
    // Within the chart's range, checked for overflow when it was drawn.
    const Money commission = *trade_commission(table_.broker(row), money);
    QToolTip::showText(QCursor::pos(),
                       decode_cp932(table_.broker(row).name) + u'\n' + currency_form(money) +
                           QStringLiteral(" の取引\n手数料 ") + exact_yen(commission),
                       &trade_chart);
}

void chart_window::show_year_tip(int row, QPointF point, bool inside)
{
    if (!inside || !year_) {
        QToolTip::hideText();
        return;
    }
    const std::size_t nearest = year_->nearest_factor(point.x());
    const Money cost = *year_->costs[static_cast<std::size_t>(row)][nearest];
    QToolTip::showText(QCursor::pos(),
                       decode_cp932(table_.broker(row).name) + QStringLiteral("\n取引回数 ") +
                           factor_text(year_->factors[nearest]) + QStringLiteral("\n年間の費用 ") +
                           exact_yen(cost),
                       &year_chart);
}

} // namespace fee::ui
