#include "gui/chart/chart_with_legend.h"

#include <QCursor>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPainter>
#include <QTextDocument>
#include <QTextOption>
#include <QToolTip>
#include <algorithm>
#include <iterator>

#include "core/fees/participants.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"
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

// A daily plan in a style no broker has, its colours from the other end of
// the list, so that a plan reads as a plan beside the broker of its colour.
QPen plan_pen(int plan)
{
    QPen pen(QColor(kBrokerColours[std::size(kBrokerColours) - 1 -
                                   static_cast<std::size_t>(plan) % std::size(kBrokerColours)]));
    pen.setWidthF(2.0);
    pen.setStyle(Qt::DashDotLine);
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

std::vector<LegendEntry> every_broker(const Participants& table)
{
    std::vector<LegendEntry> entries;
    for (int row = 0; row < table.size(); ++row)
        entries.push_back(ChartWithLegend::broker_entry(table, row));
    return entries;
}

} // namespace

LegendEntry ChartWithLegend::broker_entry(const Participants& table, int row)
{
    return {table.name(row), table.is_plan(row) ? plan_pen(row - table.broker_count()) : broker_pen(row)};
}

ChartWithLegend::ChartWithLegend(const Participants& table, const QString& name, const QString& what)
    : ChartWithLegend(every_broker(table), name, what)
{
}

ChartWithLegend::ChartWithLegend(std::vector<LegendEntry> entries, const QString& name, const QString& what)
    : entries_(std::move(entries))
{
    view_.setObjectName(what + QStringLiteral("_chart"));
    view_.setAccessibleName(name);
    // The plot hands its focus to the view, yet a screen reader lists it too.
    view_.viewport()->setAccessibleName(name + QStringLiteral("の描画領域"));
    legend_.setObjectName(what + QStringLiteral("_legend"));
    legend_.setAccessibleName(name + QStringLiteral("の証券会社"));
    legend_.setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    legend_.setWordWrap(true);
    legend_.setIconSize(QSize(32, 12));
    // The legend is the list; the room around the plot goes to the plot.
    chart().legend()->hide();
    chart().layout()->setContentsMargins(0, 0, 0, 0);
    chart().setBackgroundRoundness(0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins({});
    layout->addWidget(&view_, 1);
    layout->addWidget(&legend_);

    nothing_drawn_ = new QGraphicsTextItem(
        QStringLiteral("どの証券会社も範囲のどこでも桁あふれするため、描ける線がありません。"), &chart());
    nothing_drawn_->setFont(proportional_gothic());
    nothing_drawn_->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    nothing_drawn_->hide();
    connect(&chart(), &QChart::plotAreaChanged, this, [this](const QRectF& plot) {
        nothing_drawn_->setTextWidth(plot.width() * 0.8);
        nothing_drawn_->setPos(plot.center() - nothing_drawn_->boundingRect().center());
    });
}

void ChartWithLegend::clear()
{
    chart().removeAllSeries();
    for (QAbstractAxis* axis : chart().axes()) {
        chart().removeAxis(axis);
        delete axis;
    }
}

void ChartWithLegend::draw(const BrokerLines& lines, const QStringList& overflow_notes, QAbstractAxis& x,
                           QAbstractAxis& y, Tip tip)
{
    series_.assign(lines.size(), {});
    for (std::size_t b = 0; b < lines.size(); ++b) {
        const int row = static_cast<int>(b);
        for (const QList<QPointF>& points : lines[b]) {
            auto* series = new QLineSeries;
            series->setName(entries_[b].name);
            series->setPen(entries_[b].pen);
            series->setPointsVisible(points.size() == 1); // a line of one point draws nothing
            series->replace(points);
            chart().addSeries(series);
            series->attachAxis(&x);
            series->attachAxis(&y);
            connect(series, &QLineSeries::hovered, this, [this, row, tip](const QPointF& at, bool inside) {
                const QString text = inside ? tip(row, at) : QString();
                if (text.isEmpty())
                    QToolTip::hideText();
                else
                    QToolTip::showText(QCursor::pos(), text, &view_);
            });
            series_[b].push_back(series);
        }
    }
    nothing_drawn_->setVisible(
        std::all_of(lines.begin(), lines.end(), [](const auto& row) { return row.empty(); }));
    fill_legend(overflow_notes);
}

void ChartWithLegend::limit_legend(int window_width)
{
    legend_.setMaximumWidth(std::max(legend_.fontMetrics().height() * 13, window_width * 2 / 7));
}

void ChartWithLegend::fill_legend(const QStringList& overflow_notes)
{
    std::vector<bool> hidden;
    for (int i = 0; i < legend_.count(); ++i)
        hidden.push_back(legend_.item(i)->checkState() == Qt::Unchecked);
    disconnect(&legend_, &QListWidget::itemChanged, this, nullptr);
    legend_.clear();
    for (std::size_t row = 0; row < entries_.size(); ++row) {
        // Shortened as every message quotes a name, so that a long one leaves
        // the entry's check box and line in view; the tip has it whole.
        const QString name = quoted_text(entries_[row].name);
        const QString& note = overflow_notes[static_cast<qsizetype>(row)];
        auto* item = new QListWidgetItem(note.isEmpty() ? name : name + u'\n' + note, &legend_);
        item->setToolTip(entries_[row].name);
        item->setIcon(line_sample(entries_[row].pen, legend_.iconSize(), devicePixelRatioF()));
        item->setData(Qt::AccessibleTextRole, note.isEmpty() ? name : name + QStringLiteral("、") + note);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool shown = row >= hidden.size() || !hidden[row];
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
        show_row(item);
    }
    connect(&legend_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        show_row(item);
        describe();
    });
    describe();
}

void ChartWithLegend::show_row(QListWidgetItem* item)
{
    for (QLineSeries* series : series_[static_cast<std::size_t>(legend_.row(item))])
        series->setVisible(item->checkState() == Qt::Checked);
}

// What a screen reader says of the chart: the brokers it shows.
void ChartWithLegend::describe()
{
    QStringList shown;
    for (int i = 0; i < legend_.count(); ++i)
        if (legend_.item(i)->checkState() == Qt::Checked)
            shown << legend_.item(i)->data(Qt::AccessibleTextRole).toString();
    view_.setAccessibleDescription(shown.isEmpty() ? QStringLiteral("どの証券会社も表示していません")
                                                   : QStringLiteral("表示中の証券会社: ") +
                                                         shown.join(QStringLiteral("。")));
}

} // namespace fee::ui
