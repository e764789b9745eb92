#include <benchmark/benchmark.h>

#include <QApplication>
#include <QObject>
#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "analysis_table.h"
#include "core/fees/preset_plans.h"
#include "gui/app/prompter.h"
#include "gui/chart/chart_module.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/result_window.h"
#include "gui/windows/trade_plan_window.h"

namespace {

// 試算(&D) pressed on the trade plan, to the result grid shown and painted,
// as the calculation does it but without the modal loop.
void ComputeToPaintedGrid21Brokers(benchmark::State& state)
{
    const fee::BrokerTable t = fee::bench::twenty_one_brokers();
    fee::ui::DialogPrompter prompter; // nothing to say: every figure fits
    fee::ui::TradePlanWindow plan(prompter);
    plan.set_plan_texts(fee::preset_plan_by_key("high-frequent")->texts());
    std::unique_ptr<fee::ui::ResultWindow> grid;
    QObject::connect(&plan, &fee::ui::TradePlanWindow::plan_entered, &plan,
                     [&](const fee::TradePlan& trades) {
                         grid = std::make_unique<fee::ui::ResultWindow>(
                             t, fee::compute_yearly_costs(t, trades).value(), prompter);
                         grid->show();
                         grid->repaint();
                     });
    plan.show();
    QApplication::processEvents();
    auto* compute = plan.findChild<QPushButton*>(QStringLiteral("submit_button"));
    for (auto _ : state) {
        compute->click();
        state.PauseTiming();
        if (!grid)
            state.SkipWithError("no result grid");
        grid.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(ComputeToPaintedGrid21Brokers)->Unit(benchmark::kMillisecond);

// グラフ the first time in a run: the module loaded (with Qt Charts), the chart
// window made for 21 brokers, shown and painted. Once, since only the first
// time loads the module; run the benchmark again for another figure.
void FirstChartLoadsTheModuleAndPaints(benchmark::State& state)
{
    const fee::BrokerTable t = fee::bench::twenty_one_brokers();
    const fee::TradePlan plan = fee::parse_plan(fee::preset_plan_by_key("high-frequent")->texts()).value();
    for (auto _ : state) {
        QString why;
        fee::ui::ChartModule* module = fee::ui::load_chart_module(why);
        if (!module) {
            state.SkipWithError(why.toStdString().c_str());
            break;
        }
        std::unique_ptr<QWidget> chart(module->make_chart(t, plan, nullptr));
        chart->show();
        chart->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(FirstChartLoadsTheModuleAndPaints)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fee::ui::apply_ui_font(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
