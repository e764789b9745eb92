// What a screen reader hears: every control that takes the focus, in every
// window, has a name of its own.
#include <QAccessible>
#include <QFile>
#include <QHash>
#include <QTest>

#include "core/analysis/accounts.h"
#include "core/datafile/data_file.h"
#include "core/fees/preset_plans.h"
#include "gui/chart/chart_window.h"
#include "gui/windows/account_sets_window.h"
#include "gui/windows/help_window.h"
#include "gui/windows/main_window.h"
#include "gui/windows/result_window.h"
#include "gui/windows/style_questions.h"
#include "gui/windows/trade_plan_window.h"
#include "gui_support.h"

namespace {

// Focusable controls without a name, or with a name another one has.
QStringList unnamed_or_alike(QWidget& window)
{
    QStringList problems;
    QHash<QString, QString> named;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != &window || w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&window))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name) : QString();
        if (name.isEmpty())
            problems << window.objectName() + u'/' + w->objectName() + QStringLiteral(" has no name");
        else if (named.contains(name))
            problems << window.objectName() +
                            QStringLiteral(": 「%1」 for %2 and %3").arg(name, named[name], w->objectName());
        named.insert(name, w->objectName());
    }
    return problems;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fee::test::install_message_filter(); }

    void every_focusable_control_has_a_name_of_its_own()
    {
        fee::test::ProgramFixture program;
        QVERIFY(program.set_up());
        QFile sample(QStringLiteral(FEE_SAMPLE_DATA));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        fee::test::write_data_file_bytes(sample.readAll());
        QVERIFY(program.start());
        const fee::BrokerTable& table = program.table();
        const fee::TradePlan plan = fee::parse_plan(fee::preset_plan(false, false).texts()).value();

        fee::ui::AmountQuestion amount;
        fee::ui::FrequencyQuestion frequency;
        fee::ui::TradePlanWindow plan_window(program.prompter());
        fee::ui::ResultWindow grid(table, fee::compute_yearly_costs(table, plan).value(), program.prompter());
        fee::ui::AccountSetsWindow accounts(table, plan, fee::cheapest_account_sets(table, plan, 3).value());
        fee::ui::ChartWindow chart(table, plan);
        std::unique_ptr<fee::ui::HelpWindow> help(
            fee::ui::HelpWindow::open(QStringLiteral(FEE_HELP_FILE), nullptr));
        QVERIFY(help);
        QStringList problems;
        for (QWidget* window : std::initializer_list<QWidget*>{
                 &program.window(), &amount, &frequency, &plan_window, &grid, &accounts, &chart, help.get()})
            problems << unnamed_or_alike(*window);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        program.tear_down();
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
