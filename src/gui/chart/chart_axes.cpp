#include "gui/chart/chart_axes.h"

#include <QChart>
#include <QFontMetrics>
#include <QLogValueAxis>
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

} // namespace fee::ui
