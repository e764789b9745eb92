#include "gui/chart/chart_axes.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFontMetrics>
#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/money/number_text.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

template <typename Axis> Axis* add_axis(QChart& chart, Qt::Alignment side, const QString& title)
{
    auto* axis = new Axis;
    axis->setTitleText(title);
    axis->setTitleFont(proportional_gothic());
    axis->setLabelsFont(proportional_gothic());
    chart.addAxis(axis, side);
    return axis;
}

} // namespace

// Amounts of money span from a tenth of a yen to millions: on a logarithmic
// scale every broker stays readable, unless some point is 0 or below.
QAbstractAxis* add_money_axis(QChart& chart, const BrokerLines& lines, const QString& title)
{
    double low = std::numeric_limits<double>::infinity();
    double high = 0.0;
    for (const auto& row : lines)
        for (const QList<QPointF>& points : row)
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
    axis->setRange(std::min(std::isfinite(low) ? low : 0.0, 0.0), high > 0.0 ? high * 1.05 : 1.0);
    axis->applyNiceNumbers();
    return axis;
}

QLogValueAxis* add_log_x(QChart& chart, const QString& title, const char* format, double low, double high)
{
    auto* x = add_axis<QLogValueAxis>(chart, Qt::AlignBottom, title);
    x->setLabelFormat(QString::fromLatin1(format));
    x->setMinorTickCount(8);
    x->setRange(low, high);
    return x;
}

// Amounts of nine digits a tenfold apart collide on a narrow chart.
void slant_crowded_labels(QChart& chart)
{
    auto* x = qobject_cast<QLogValueAxis*>(chart.axes(Qt::Horizontal).value(0));
    if (!x)
        return;
    const double decades = std::max(std::log10(x->max() / x->min()), 1.0);
    const int widest = QFontMetrics(x->labelsFont()).horizontalAdvance(QString::number(x->max(), 'f', 0));
    x->setLabelsAngle(chart.plotArea().width() / decades < widest * 1.2 ? -45 : 0);
}

// Five to ten steps of 1, 2 or 5 times a power of ten, whole yen at least:
// labels a reader can add up.
QAbstractAxis* add_yen_axis(QChart& chart, double high, const QString& title)
{
    const double rough = std::max(high, 1.0) / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (const double times : {1.0, 2.0, 5.0, 10.0}) {
        step = std::max(1.0, power * times);
        if (step >= rough)
            break;
    }
    const double top = std::max(step, std::ceil(high / step) * step);
    auto* axis = add_axis<QCategoryAxis>(chart, Qt::AlignLeft, title);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setStartValue(0.0);
    axis->setRange(0.0, top);
    for (double at = 0.0; at <= top * (1.0 + 1e-9); at += step)
        axis->append(currency_form(Money::from_whole_yen(static_cast<std::int64_t>(std::llround(at)))), at);
    return axis;
}

namespace {

QString month_label(int month)
{
    return QStringLiteral("%1/%2").arg(month / 100).arg(month % 100, 2, 10, QLatin1Char('0'));
}

// Every month where there is room, else every second, third, sixth... so that
// no label is cut short; a category axis cuts a label to its category.
void label_months(QCategoryAxis& axis, const std::vector<int>& months, double width)
{
    const double room = QFontMetrics(axis.labelsFont()).horizontalAdvance(month_label(200001)) * 1.5;
    const auto count = static_cast<int>(months.size());
    int step = 1;
    for (const int wider : {2, 3, 6, 12, 24, 60, 120})
        if (step < count && width / std::max(1, count / step) < room)
            step = wider;
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    for (int i = 0; i < count; i += step)
        axis.append(month_label(months[static_cast<std::size_t>(i)]), i);
}

} // namespace

QAbstractAxis* add_month_axis(QChart& chart, const std::vector<int>& months, const QString& title)
{
    auto* axis = add_axis<QCategoryAxis>(chart, Qt::AlignBottom, title);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setStartValue(0.0);
    const auto count = static_cast<double>(months.size());
    // A single month still gets room on either side.
    axis->setRange(count > 1 ? 0.0 : -0.5, count > 1 ? count - 1.0 : 0.5);
    label_months(*axis, months, chart.plotArea().width());
    QObject::connect(&chart, &QChart::plotAreaChanged, axis,
                     [axis, months](const QRectF& plot) { label_months(*axis, months, plot.width()); });
    return axis;
}

} // namespace fee::ui
