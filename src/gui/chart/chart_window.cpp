#include "gui/chart/chart_window.h"

#include <QVBoxLayout>

#include "gui/chart/screen_fit.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

const QSize kWantedSize{980, 680};
const QSize kSmallestSize{560, 420};

} // namespace

ChartWindow::ChartWindow(const Participants& table, const TradePlan& plan, QWidget* parent)
    : QWidget(parent, Qt::Window), commission_(table), yearly_(table, plan)
{
    setObjectName(QStringLiteral("chart_window"));
    setWindowTitle(QStringLiteral("手数料のグラフ"));
    setFont(proportional_gothic());
    new ScreenFit(*this, kWantedSize, kSmallestSize);

    tabs_.setObjectName(QStringLiteral("chart_tabs"));
    tabs_.setAccessibleName(QStringLiteral("グラフの種類"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&tabs_);
    tabs_.addTab(&commission_, QStringLiteral("1回の手数料"));
    tabs_.addTab(&yearly_, QStringLiteral("年間の費用"));
}

// The legends' share of the window is the window's to give.
void ChartWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (ChartWithLegend* chart : {&commission_.chart(), &yearly_.chart()})
        chart->limit_legend(width());
}

} // namespace fee::ui
