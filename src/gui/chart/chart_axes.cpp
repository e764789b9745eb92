#include "gui/chart/chart_axes.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFontMetricsF>
#include <QLogValueAxis>
#include <QMargins>
#include <QPointer>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

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

// What Qt Charts keeps around a label: 4 px of padding and half a pixel of
// margin either side, and a pixel to round.
constexpr double kQtPadding = 10.0;

// The length of one label along the axis.
double label_length(const QFontMetricsF& metrics, Qt::Orientation orientation, const QString& label)
{
    return orientation == Qt::Horizontal ? metrics.horizontalAdvance(label) : metrics.height();
}

// A category axis cuts each label to the chart's width (or height) within its
// margins over the number of labels plus one, and lets labels overlap: both
// are checked here, with a line's height between two labels.
bool labels_fit(const QCategoryAxis& axis, const ChartScale& scale, const std::vector<double>& values,
                double plot_length, double chart_length)
{
    const QFontMetricsF metrics(axis.labelsFont());
    const double room = chart_length / static_cast<double>(values.size() + 1);
    double free_from = -std::numeric_limits<double>::infinity();
    for (const double value : values) {
        const double size = label_length(metrics, axis.orientation(), axis_label(value, scale.unit));
        const double at = plot_length * scale.fraction(value);
        if (size + kQtPadding > room || at - size / 2 < free_from)
            return false;
        free_from = at + size / 2 + metrics.height();
    }
    return true;
}

// The axes beside the plot share at most 40 % of the chart's width, and a
// squeezed axis cuts its labels and lays them over its title: a label wider
// than the room left by the title is better left out.
std::vector<double> within_reach(const QCategoryAxis& axis, const ChartScale& scale,
                                 std::vector<double> values, const QRectF& within)
{
    if (axis.orientation() == Qt::Horizontal)
        return values;
    const auto lines = static_cast<double>(axis.titleText().count(QStringLiteral("<br>")) + 1);
    const double title = lines * (QFontMetricsF(axis.titleFont()).height() + 1.0);
    const double widest = 0.4 * within.width() - title - 1.5 * kQtPadding;
    const QFontMetricsF metrics(axis.labelsFont());
    std::erase_if(values, [&](double value) {
        return metrics.horizontalAdvance(axis_label(value, scale.unit)) > widest;
    });
    return values;
}

QString axis_title(const QString& what, QStringList notes, bool logarithmic, Qt::Orientation orientation)
{
    if (logarithmic)
        notes << QStringLiteral("対数目盛");
    if (notes.isEmpty())
        return what;
    // Axis titles are rich text.
    return what + (orientation == Qt::Vertical ? QStringLiteral("<br>") : QString()) + QStringLiteral("（") +
           notes.join(QStringLiteral("、")) + QStringLiteral("）");
}

// As many labels as fit the plot: on a logarithmic scale a label for every
// power of ten where there is room.
void label_scale(QCategoryAxis& axis, const ChartScale& scale, const QChart& chart)
{
    const QRectF within = chart.rect().marginsRemoved(chart.margins().toMarginsF());
    const bool across = axis.orientation() == Qt::Horizontal;
    const double plot_length = across ? chart.plotArea().width() : chart.plotArea().height();
    const double chart_length = across ? within.width() : within.height();
    std::vector<double> values = within_reach(axis, scale, scale.ticks(0), within);
    for (int sparseness = 1; values.size() > 1 && !labels_fit(axis, scale, values, plot_length, chart_length);
         ++sparseness) {
        std::vector<double> fewer = within_reach(axis, scale, scale.ticks(sparseness), within);
        values = fewer.empty() ? std::vector<double>{values.front()} : std::move(fewer);
    }
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    for (const double value : values)
        axis.append(axis_label(value, scale.unit), scale.fraction(value));
}

// Eight lines between two powers of ten where the closest two, at 9 and 10,
// stay 3 px apart; none where they would blur into grey.
void space_minor_lines(QLogValueAxis& axis, const ChartScale& scale, const QChart& chart)
{
    const double length =
        axis.orientation() == Qt::Horizontal ? chart.plotArea().width() : chart.plotArea().height();
    const double per_power = length / std::log10(scale.high / scale.low);
    axis.setMinorTickCount(per_power * (1.0 - std::log10(9.0)) >= 3.0 ? 8 : 0);
}

// The data axis's own labels would be Qt's printf figures: hidden, with its line.
template <typename Axis> Axis* add_data_axis(QChart& chart, Qt::Alignment side, const ChartScale& scale)
{
    auto* axis = new Axis;
    axis->setLabelsVisible(false);
    axis->setLineVisible(false);
    axis->setRange(scale.low, scale.high);
    chart.addAxis(axis, side);
    return axis;
}

} // namespace

ChartScale money_scale_of(const BrokerLines& lines)
{
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    for (const auto& row : lines)
        for (const QList<QPointF>& points : row)
            for (const QPointF& p : points) {
                lowest = std::min(lowest, p.y());
                highest = std::max(highest, p.y());
            }
    return money_scale(lowest, highest);
}

QAbstractAxis* add_scale_axis(QChart& chart, Qt::Alignment side, const ChartScale& scale, const QString& what,
                              QStringList notes)
{
    QPointer<QLogValueAxis> log;
    QAbstractAxis* data = nullptr;
    if (scale.logarithmic) {
        data = log = add_data_axis<QLogValueAxis>(chart, side, scale);
    } else {
        data = add_data_axis<QValueAxis>(chart, side, scale);
        data->setGridLineVisible(false); // the labels' lines are the grid
    }
    // Positions from 0 to 1, as ChartScale::fraction gives them: no double's
    // rounding of large amounts in the way.
    const Qt::Orientation orientation =
        side & (Qt::AlignLeft | Qt::AlignRight) ? Qt::Vertical : Qt::Horizontal;
    auto* labels = add_axis<QCategoryAxis>(
        chart, side, axis_title(what, std::move(notes), scale.logarithmic, orientation));
    labels->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    labels->setStartValue(0.0);
    labels->setRange(0.0, 1.0);
    if (orientation == Qt::Horizontal) {
        // A label at the right end reaches half its width past the plot.
        const QFontMetricsF metrics(labels->labelsFont());
        double widest = 0.0;
        for (const double value : scale.ticks(0))
            widest = std::max(widest, label_length(metrics, Qt::Horizontal, axis_label(value, scale.unit)));
        QMargins margins = chart.margins();
        // Never below the left margin, Qt's own.
        margins.setRight(std::max(margins.left(), static_cast<int>(std::ceil(widest / 2)) + 2));
        chart.setMargins(margins);
    }
    auto fit = [labels, log, scale, &chart] {
        label_scale(*labels, scale, chart);
        if (log)
            space_minor_lines(*log, scale, chart);
    };
    fit();
    QObject::connect(&chart, &QChart::plotAreaChanged, labels, fit);
    return data;
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
