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

// One colour a table row, as far apart as the eye tells them, most distinct
// first, each readable on white and on a dark grey. The line style is a second
// cue, for printouts and colour blindness.
constexpr QRgb kBrokerColours[kMaxBrokers] = {0xd91626, 0x00a600, 0x3d4cf2, 0x009fbf, 0xf218aa, 0xbf9413,
                                              0xa65b6e, 0x4c733f, 0x777fd9, 0xde00f2, 0xa64f11, 0xbf9469,
                                              0xd977c8, 0x87a629, 0xf23d79, 0x11a65b, 0xf26500, 0x9b30bf,
                                              0x29a691, 0x4d678c, 0x73620b};

QPen broker_pen(int row)
{
    QPen pen(QColor(kBrokerColours[static_cast<std::size_t>(row) % std::size(kBrokerColours)]));
    pen.setWidthF(2.0);
    static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine};
    pen.setStyle(kStyles[row % 3]);
    return pen;
}

// The line as it is drawn, for the legend.
QIcon line_sample(const QPen& pen, QSize size, qreal ratio)
{
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    const double middle = size.height() / 2.0;
    painter.drawLine(QPointF(1.0, middle), QPointF(size.width() - 1.0, middle));
    return QIcon(pixmap);
}

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

// The brokers for which `overflows(row)` holds, 「quoted」.
template <typename Overflows> QString names_where(const BrokerTable& table, Overflows overflows)
{
    QStringList names;
    for (int b = 0; b <= table.last_broker(); ++b)
        if (overflows(static_cast<std::size_t>(b)))
            names << QStringLiteral("「%1」").arg(decode_cp932(table.broker(b).name));
    return names.join(QStringLiteral("、"));
}

// A stretch, its cheapest broker and that broker's figures at both ends.
QStringList ranked_cells(const QString& stretch, const BrokerTable& table, int row, Money first, Money last)
{
    return {stretch, decode_cp932(table.broker(row).name),
            general_form(first) + QStringLiteral(" 円 〜 ") + general_form(last) + QStringLiteral(" 円")};
}

QStringList unranked_cells(const QString& stretch, const QString& names, const QString& figure)
{
    return {stretch, QStringLiteral("（比べられません）"),
            names + QStringLiteral(" の") + figure + QStringLiteral("が桁あふれするため")};
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

// The last column takes the rest: sized to its cells too, it would stay
// narrow once the list is redrawn.
void fit_columns(QTableWidget& list)
{
    for (int c = 0; c + 1 < list.columnCount(); ++c)
        list.resizeColumnToContents(c);
}

void add_list_row(QTableWidget& list, const QStringList& cells)
{
    const int row = list.rowCount();
    list.insertRow(row);
    for (int c = 0; c < cells.size(); ++c)
        list.setItem(row, c, new QTableWidgetItem(cells[c]));
}

// A page with `top` above the chart and its legend, and the list below.
QWidget* page_of(const QString& name, const QList<QWidget*>& top, QWidget& view, QWidget& legend,
                 const QString& caption, QTableWidget& list)
{
    auto* page = new QWidget;
    page->setAccessibleName(name);
    auto* layout = new QVBoxLayout(page);
    for (QWidget* w : top)
        layout->addWidget(w);
    auto* plot = new QHBoxLayout;
    plot->addWidget(&view, 1);
    plot->addWidget(&legend);
    layout->addLayout(plot, 3);
    auto* label = new QLabel(caption);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(&list, 1);
    return page;
}

void name_plot(QChartView& view, QListWidget& legend, const QString& view_name, const QString& what)
{
    view.setObjectName(what + QStringLiteral("_chart"));
    view.setAccessibleName(view_name);
    // The plot hands its focus to the view, yet a screen reader lists it too.
    view.viewport()->setAccessibleName(view_name + QStringLiteral("の描画領域"));
    legend.setObjectName(what + QStringLiteral("_legend"));
    legend.setAccessibleName(view_name + QStringLiteral("の証券会社"));
    legend.setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    legend.setWordWrap(true);
    legend.setIconSize(QSize(32, 12));
    // The legend is the list; the room around the plot goes to the plot.
    view.chart()->legend()->hide();
    view.chart()->layout()->setContentsMargins(0, 0, 0, 0);
    view.chart()->setBackgroundRoundness(0);
}

} // namespace

chart_window::chart_window(const BrokerTable& table, const TradePlan& plan, QWidget* parent)
    : QWidget(parent, Qt::Window), table_(table), plan_(plan)
{
    setObjectName(QStringLiteral("chart_window"));
    setWindowTitle(QStringLiteral("手数料のグラフ"));
    setFont(proportional_gothic());
    new ScreenFit(*this, kWantedSize, kSmallestSize);

    chart_tabs.setObjectName(QStringLiteral("chart_tabs"));
    chart_tabs.setAccessibleName(QStringLiteral("グラフの種類"));
    name_plot(trade_.view, trade_.legend, QStringLiteral("1 回の手数料のグラフ"), QStringLiteral("trade"));
    name_plot(year_.view, year_.legend, QStringLiteral("年間の費用のグラフ"), QStringLiteral("year"));
    trade_cheapest.setObjectName(QStringLiteral("trade_cheapest"));
    trade_cheapest.setAccessibleName(QStringLiteral("取引金額ごとの最も安い証券会社"));
    year_cheapest.setObjectName(QStringLiteral("year_cheapest"));
    year_cheapest.setAccessibleName(QStringLiteral("取引回数の倍率ごとの最も安い証券会社"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&chart_tabs);
    chart_tabs.addTab(trade_page(), QStringLiteral("1回の手数料"));
    chart_tabs.addTab(year_page(), QStringLiteral("年間の費用"));
}

QWidget* chart_window::trade_page()
{
    setup_list(trade_cheapest, {QStringLiteral("1 回の取引金額"), QStringLiteral("最も安い証券会社"),
                                QStringLiteral("その手数料（範囲の最初 〜 最後）")});
    range_message.setObjectName(QStringLiteral("range_message"));
    range_message.setWordWrap(true);
    range_message.hide();
    QChart* chart = trade_.view.chart();
    connect(chart, &QChart::plotAreaChanged, this, [chart] { slant_crowded_labels(*chart); });
    draw_trade(kChartAmounts);
    return page_of(QStringLiteral("1 回の手数料"), {range_row(), &range_message}, trade_.view, trade_.legend,
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
    setup_list(year_cheapest, {QStringLiteral("取引回数の倍率"), QStringLiteral("最も安い証券会社"),
                               QStringLiteral("その年間の費用（範囲の最初 〜 最後）")});
    year_data_ = yearly_chart(table_, plan_);
    fill_year_chart(year_data_);
    return page_of(
        QStringLiteral("年間の費用"), {}, year_.view, year_.legend,
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
    QChart& chart = *trade_.view.chart();
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    const CommissionChart chart_data = commission_chart(table_, range);
    const auto from = static_cast<double>(range.from);
    const auto to = static_cast<double>(range.to);
    // One amount alone, which a logarithmic axis cannot span, gets a hair of room.
    auto* x = add_log_x(chart, QStringLiteral("1 回の取引金額（円、対数目盛）"), "%.0f",
                        from < to ? from : from * 0.999, from < to ? to : to * 1.001);
    const auto lines = trade_lines(chart_data);
    QAbstractAxis* y = add_money_axis(chart, lines, QStringLiteral("1 回の手数料（円"));
    add_lines(trade_, lines, overflow_notes(chart_data), *x, *y, &chart_window::show_trade_tip);
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
        if (run.row == kNoCheapest) {
            const QString names = names_where(table_, [&](std::size_t b) {
                return std::any_of(
                    chart_data.overflows[b].begin(), chart_data.overflows[b].end(),
                    [&](const AmountRange& o) { return o.from <= run.to && run.from <= o.to; });
            });
            add_list_row(trade_cheapest, unranked_cells(amounts, names, QStringLiteral("手数料")));
            continue;
        }
        add_list_row(trade_cheapest,
                     ranked_cells(amounts, table_, run.row, run.commission_from, run.commission_to));
    }
    if (listed < chart_data.cheapest.size())
        add_list_row(trade_cheapest, {QStringLiteral("ほか %1 範囲").arg(chart_data.cheapest.size() - listed),
                                      QStringLiteral("すべては fee-compare-cli cheapest で出力できます")});
    fit_columns(trade_cheapest);
}

void chart_window::fill_year_chart(const YearlyChart& chart_data)
{
    QChart& chart = *year_.view.chart();
    // A hair wider than the factors, so that the ticks at 0.1 and 10 are drawn.
    auto* x = add_log_x(chart, QStringLiteral("取引回数の倍率（今の計画 = 1、対数目盛）"), "%g",
                        chart_data.factors.front() * 0.999, chart_data.factors.back() * 1.001);
    const auto lines = year_lines(chart_data);
    QAbstractAxis* y = add_money_axis(chart, lines, QStringLiteral("年間の費用（円、維持費を含む"));
    add_lines(year_, lines, overflow_notes(chart_data), *x, *y, &chart_window::show_year_tip);
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
            const QString names = names_where(table_, [&](std::size_t b) {
                return std::any_of(
                    chart_data.overflows[b].begin(), chart_data.overflows[b].end(),
                    [&](const FactorRange& o) { return o.first <= run.last && run.first <= o.last; });
            });
            add_list_row(year_cheapest, unranked_cells(factors, names, QStringLiteral("年間の費用")));
            continue;
        }
        const auto& costs = chart_data.costs[static_cast<std::size_t>(run.row)];
        add_list_row(year_cheapest,
                     ranked_cells(factors, table_, run.row, *costs[run.first], *costs[run.last]));
    }
    fit_columns(year_cheapest);
}

void chart_window::add_lines(Plot& plot, const Lines& lines, const QStringList& overflow_notes,
                             QAbstractAxis& x, QAbstractAxis& y,
                             void (chart_window::*tip)(int, QPointF, bool))
{
    QChart& chart = *plot.view.chart();
    plot.series.assign(lines.size(), {});
    for (std::size_t b = 0; b < lines.size(); ++b) {
        const int row = static_cast<int>(b);
        for (const QList<QPointF>& points : lines[b]) {
            auto* series = new QLineSeries;
            series->setName(decode_cp932(table_.broker(row).name));
            series->setPen(broker_pen(row));
            series->setPointsVisible(points.size() == 1); // a line of one point draws nothing
            series->replace(points);
            chart.addSeries(series);
            series->attachAxis(&x);
            series->attachAxis(&y);
            connect(series, &QLineSeries::hovered, this,
                    [this, row, tip](const QPointF& at, bool inside) { (this->*tip)(row, at, inside); });
            plot.series[b].push_back(series);
        }
    }
    fill_legend(plot, overflow_notes);
}

// One checkable entry a broker, with its line as the icon and, where it
// overflows, where; a broker hidden before a redraw stays hidden.
void chart_window::fill_legend(Plot& plot, const QStringList& overflow_notes)
{
    std::vector<bool> hidden;
    for (int i = 0; i < plot.legend.count(); ++i)
        hidden.push_back(plot.legend.item(i)->checkState() == Qt::Unchecked);
    disconnect(&plot.legend, &QListWidget::itemChanged, this, nullptr);
    plot.legend.clear();
    for (int row = 0; row <= table_.last_broker(); ++row) {
        const QString name = decode_cp932(table_.broker(row).name);
        const QString& note = overflow_notes[row];
        auto* item = new QListWidgetItem(note.isEmpty() ? name : name + u'\n' + note, &plot.legend);
        item->setIcon(line_sample(broker_pen(row), plot.legend.iconSize(), devicePixelRatioF()));
        item->setData(Qt::AccessibleTextRole, note.isEmpty() ? name : name + QStringLiteral("、") + note);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool shown =
            static_cast<std::size_t>(row) >= hidden.size() || !hidden[static_cast<std::size_t>(row)];
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
        show_row(plot, item);
    }
    connect(&plot.legend, &QListWidget::itemChanged, this, [this, &plot](QListWidgetItem* item) {
        show_row(plot, item);
        describe(plot);
    });
    describe(plot);
}

void chart_window::show_row(Plot& plot, QListWidgetItem* item)
{
    for (QLineSeries* series : plot.series[static_cast<std::size_t>(plot.legend.row(item))])
        series->setVisible(item->checkState() == Qt::Checked);
}

// What a screen reader says of the chart: the brokers it shows.
void chart_window::describe(Plot& plot)
{
    QStringList shown;
    for (int i = 0; i < plot.legend.count(); ++i)
        if (plot.legend.item(i)->checkState() == Qt::Checked)
            shown << plot.legend.item(i)->data(Qt::AccessibleTextRole).toString();
    plot.view.setAccessibleDescription(shown.isEmpty() ? QStringLiteral("どの証券会社も表示していません")
                                                       : QStringLiteral("表示中の証券会社: ") +
                                                             shown.join(QStringLiteral("。")));
}

// Halfway on the logarithmic axis between the last factor of one cheapest
// broker and the first of the next.
void chart_window::place_change_marks()
{
    QChart& chart = *year_.view.chart();
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

void chart_window::show_trade_tip(int row, QPointF point, bool inside)
{
    const std::int64_t amount =
        std::clamp<std::int64_t>(std::llround(point.x()), trade_range_.from, trade_range_.to);
    const Money money = Money::from_whole_yen(amount);
    const auto commission = trade_commission(table_.broker(row), money);
    if (!inside || !commission) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(QCursor::pos(),
                       decode_cp932(table_.broker(row).name) + u'\n' + currency_form(money) +
                           QStringLiteral(" の取引\n手数料 ") + exact_yen(*commission),
                       &trade_.view);
}

void chart_window::show_year_tip(int row, QPointF point, bool inside)
{
    const std::size_t nearest = year_data_.nearest_factor(point.x());
    const std::optional<Money> cost = year_data_.costs[static_cast<std::size_t>(row)][nearest];
    if (!inside || !cost) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(QCursor::pos(),
                       decode_cp932(table_.broker(row).name) + QStringLiteral("\n取引回数 ") +
                           factor_text(year_data_.factors[nearest]) + QStringLiteral("\n年間の費用 ") +
                           exact_yen(*cost),
                       &year_.view);
}

// A legend as wide as its names, but no more than two sevenths of the window:
// on a small screen the chart keeps the room, and a long note wraps.
void chart_window::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (Plot* plot : {&trade_, &year_})
        plot->legend.setMaximumWidth(std::max(plot->legend.fontMetrics().height() * 13, width() * 2 / 7));
}

} // namespace fee::ui
