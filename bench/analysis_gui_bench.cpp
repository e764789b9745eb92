#include <benchmark/benchmark.h>

#include <QApplication>
#include <QObject>
#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "analysis_table.h"
#include "core/preset_plans.h"
#include "gui/form_sl.h"
#include "gui/prompter.h"
#include "gui/result_window.h"
#include "gui/ui_font.h"

namespace {

// 試算(&D) pressed on the trade plan, to the result grid shown and painted,
// as the calculation does it but without the modal loop.
void ComputeToPaintedGrid21Brokers(benchmark::State& state)
{
    const fee::BrokerTable t = fee::bench::twenty_one_brokers();
    fee::ui::DialogPrompter prompter; // nothing to say: every figure fits
    fee::ui::Form_sl plan(prompter);
    plan.set_plan_texts(fee::preset_plan_by_key("high-frequent")->texts());
    std::unique_ptr<fee::ui::result> grid;
    QObject::connect(&plan, &fee::ui::Form_sl::plan_entered, &plan, [&](const fee::TradePlan& trades) {
        grid = std::make_unique<fee::ui::result>(t, fee::compute_yearly_costs(t, trades).value(), prompter);
        grid->show();
        grid->repaint();
    });
    plan.show();
    QApplication::processEvents();
    auto* compute = plan.findChild<QPushButton*>(QStringLiteral("key_cal2"));
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
