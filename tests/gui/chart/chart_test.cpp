// The result window's exports and the chart window they lead to: Ctrl+C,
// Ctrl+S and Ctrl+G as a user presses them on the grid.

#include <QAccessible>
#include <QApplication>
#include <QCategoryAxis>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsLineItem>
#include <QLineSeries>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <cmath>

#include "core/analysis/chart_data.h"
#include "core/analysis/chart_text.h"
#include "core/datafile/data_file.h"
#include "core/fees/broker_table.h"
#include "core/fees/commission.h"
#include "core/fees/preset_plans.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"
#include "gui/app/calculation.h"
#include "gui/chart/chart_module.h"
#include "gui/chart/chart_window.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/result_window.h"
#include "gui_support.h"
#include "test_tables.h"

using fee::BrokerTable;
using fee::Money;
using fee::test::child;
using fee::test::ModalScript;

namespace {

// Three brokers on the standard schedule: the second without a fee, the third
// with a fee that shows the same yen as the first but costs less.
BrokerTable three_brokers()
{
    BrokerTable t;
    t.set_last_broker(2);
    for (int r = 0; r <= 2; ++r)
        fee::test::set_standard_schedule(t, r);
    t.broker(0).name = fee::encode_typed_name(QStringLiteral("サンプル証券")).value();
    t.broker(1).name = "Comma, \"Quoted\"";
    t.broker(2).name = "Cheap";
    t.broker(1).yearly_fee = Money{};
    t.broker(2).yearly_fee = Money::from_units(19'999'883);
    return t;
}

const QString kTableOrder = QStringLiteral("会社名\t試算結果\t正確な額\n"
                                           "サンプル証券\t¥441,500\t441499.9883\n"
                                           "\"Comma, \"\"Quoted\"\"\"\t¥439,500\t439499.9883\n"
                                           "Cheap\t¥441,500\t441499.9766\n");

fee::TradePlan low_occasional()
{
    return fee::parse_plan(fee::preset_plan_by_key("low-occasional")->texts()).value();
}

class Shown {
public:
    explicit Shown(const BrokerTable& table)
        : grid_(table, fee::compute_yearly_costs(table, low_occasional()).value(), prompter_)
    {
        grid_.show();
        grid_.activateWindow();
    }
    fee::ui::ResultWindow& grid() { return grid_; }
    QWidget* cells() { return child<QTableWidget>(&grid_, QStringLiteral("cost_grid")); }
    fee::test::ScriptedPrompter& prompter() { return prompter_; }
    bool active()
    {
        grid_.activateWindow();
        return QTest::qWaitForWindowActive(&grid_);
    }

private:
    fee::test::ScriptedPrompter prompter_;
    fee::ui::ResultWindow grid_;
};

void press(QWidget* target, Qt::Key key)
{
    QTest::keyClick(target, key, Qt::ControlModifier);
}

void check_chart(QWidget& chart)
{
    QCOMPARE(chart.windowTitle(), QStringLiteral("手数料のグラフ"));
    auto* tabs = child<QTabWidget>(&chart, QStringLiteral("chart_tabs"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("1回の手数料"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("年間の費用"));
    for (const char* name : {"trade_chart", "year_chart"}) {
        const QList<QAbstractSeries*> series =
            child<QChartView>(&chart, QString::fromLatin1(name))->chart()->series();
        QCOMPARE(series.size(), 21);
        QCOMPARE(series[0]->name(), QStringLiteral("サンプル証券"));
        QCOMPARE(series[20]->name(), QStringLiteral("Broker 20"));
    }
    auto* cheapest = child<QTableWidget>(&chart, QStringLiteral("trade_cheapest"));
    QVERIFY(cheapest->rowCount() >= 1);
    QCOMPARE(cheapest->item(0, 1)->text(), QStringLiteral("サンプル証券"));
    QVERIFY(chart.maximumWidth() > chart.minimumWidth()); // resizable
    QVERIFY(chart.screen()->availableGeometry().contains(chart.frameGeometry()));
    // Every broker in the legend, each in a colour of its own.
    auto* legend = child<QListWidget>(&chart, QStringLiteral("trade_legend"));
    QCOMPARE(legend->count(), 21);
    QCOMPARE(legend->item(20)->text(), QStringLiteral("Broker 20"));
    legend->scrollToItem(legend->item(20));
    QVERIFY(legend->viewport()->rect().contains(legend->visualItemRect(legend->item(20))));
    QSet<QRgb> colours;
    for (QAbstractSeries* series :
         child<QChartView>(&chart, QStringLiteral("trade_chart"))->chart()->series())
        colours << qobject_cast<QLineSeries*>(series)->pen().color().rgb();
    QCOMPARE(colours.size(), 21);
}

} // namespace

class ChartTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The save suggests a file in the Documents folder: the test one, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        fee::test::install_message_filter();
        fee::ui::apply_ui_font(*qApp);
    }

    void copyTakesTheRankingAsShown()
    {
        const BrokerTable table = three_brokers();
        Shown shown(table);
        QVERIFY(shown.active());
        QApplication::clipboard()->clear();
        press(shown.cells(), Qt::Key_C);
        QCOMPARE(QApplication::clipboard()->text(), kTableOrder);

        // After 並べ替え(&S), in the grid's new order, from a button's focus too.
        auto* sort = child<QPushButton>(&shown.grid(), QStringLiteral("sort_button"));
        QTest::mouseClick(sort, Qt::LeftButton);
        press(sort, Qt::Key_C);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("会社名\t試算結果\t正確な額\n"
                                "\"Comma, \"\"Quoted\"\"\"\t¥439,500\t439499.9883\n"
                                "Cheap\t¥441,500\t441499.9766\n"
                                "サンプル証券\t¥441,500\t441499.9883\n"));
        // The context menu offers the same actions; the layout keeps its two buttons.
        QCOMPARE(shown.cells()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QStringList texts;
        for (const QAction* a : shown.cells()->actions())
            texts << a->text() + QLatin1Char(' ') + a->shortcut().toString();
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("コピー(&C) Ctrl+C"), QStringLiteral("CSVで保存(&S)... Ctrl+S"),
                              QStringLiteral("グラフ(&G)... Ctrl+G"),
                              QStringLiteral("口座の組み合わせ(&K)... Ctrl+K")}));
        QCOMPARE(shown.grid().findChildren<QPushButton*>().size(), 2);
    }

    void saveWritesTheChosenFileOrSaysWhyNot()
    {
        QTemporaryDir dir;
        const BrokerTable table = three_brokers();
        Shown shown(table);
        QVERIFY(shown.active());
        // Ctrl+S with the user's part of it scripted; what went otherwise.
        auto save = [&shown](std::vector<fee::test::PromptStep> steps) {
            shown.prompter().script(std::move(steps));
            press(shown.cells(), Qt::Key_S);
            return shown.prompter().finish() ? QString() : shown.prompter().failure();
        };
        // The window offers 試算結果.csv; the user only picks the folder.
        QString suggested;
        const QString path = dir.filePath(QStringLiteral("試算結果.csv"));
        QCOMPARE(save({fee::test::answer_save_path(path, &suggested)}), QString());
        QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("試算結果.csv"));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QByteArray expected = kTableOrder.toUtf8().replace("\n", "\r\n").replace('\t', ',');
        expected.replace("¥441,500", "\"¥441,500\"").replace("¥439,500", "\"¥439,500\"");
        QCOMPARE(saved.readAll(), "\xEF\xBB\xBF" + expected);

        // A folder that vanished before the save: the message names the file.
        const QString gone = dir.filePath(QStringLiteral("gone/試算結果.csv"));
        QCOMPARE(save({fee::test::answer_save_path(gone), fee::test::expect_message({gone})}), QString());
        QVERIFY(!QFileInfo::exists(gone));
        // Cancelled: nothing is written, nothing said.
        QVERIFY(saved.remove());
        QCOMPARE(save({fee::test::answer_save_path(std::nullopt)}), QString());
        QVERIFY(!QFileInfo::exists(path));
        // A name without an extension gets .csv; the next save starts in its folder.
        QTemporaryDir elsewhere;
        QCOMPARE(save({fee::test::answer_save_path(elsewhere.filePath(QStringLiteral("ranking")))}),
                 QString());
        QVERIFY(QFileInfo::exists(elsewhere.filePath(QStringLiteral("ranking.csv"))));
        QCOMPARE(save({fee::test::answer_save_path(std::nullopt, &suggested)}), QString());
        QCOMPARE(QFileInfo(suggested).absolutePath(), QDir(elsewhere.path()).absolutePath());
    }

    void chartOpensOnceWithOneSeriesPerBroker()
    {
        BrokerTable table = three_brokers();
        table.set_last_broker(20);
        for (int r = 3; r <= 20; ++r) {
            fee::test::set_standard_schedule(table, r);
            table.broker(r).name = "Broker " + std::to_string(r);
            table.broker(r).minimum = *Money::from_yen(100 * r);
        }
        fee::test::ScriptedPrompter prompter;
        // From the module, its own copy of the window's class: found by name.
        QPointer<QWidget> opened;
        auto on_grid = [&](QWidget* grid) {
            QWidget* cells = child<QTableWidget>(grid, QStringLiteral("cost_grid"));
            press(cells, Qt::Key_G);
            auto* chart = grid->findChild<QWidget*>(QStringLiteral("chart_window"));
            QVERIFY(chart);
            opened = chart;
            QVERIFY(QTest::qWaitForWindowExposed(chart));
            check_chart(*chart);
            // The result window is modal, yet its chart takes input.
            auto* tabs = child<QTabWidget>(chart, QStringLiteral("chart_tabs"));
            QTest::mouseClick(chart->windowHandle(), Qt::LeftButton, {},
                              tabs->tabBar()->mapTo(chart, tabs->tabBar()->tabRect(1).center()));
            QCOMPARE(tabs->currentIndex(), 1);

            grid->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(grid));
            press(cells, Qt::Key_G);
            QCOMPARE(grid->findChildren<QWidget*>(QStringLiteral("chart_window")).size(), 1);
            QTest::mouseClick(child<QPushButton>(grid, QStringLiteral("close_button")), Qt::LeftButton);
        };
        // The low-amount, occasional plan.
        ModalScript script(fee::test::to_the_result('L', 'J', on_grid));
        fee::Calculation(table, prompter).run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
        QTRY_VERIFY(!opened); // closed with the result window
    }

    // Without its module the chart cannot open: a message says what is
    // missing where, and the result window goes on.
    void aMissingModuleIsNamed()
    {
        const BrokerTable table = three_brokers();
        const QByteArray module_dir = qgetenv("FEE_MODULE_DIR");
        QTemporaryDir empty;
        qputenv("FEE_MODULE_DIR", QFile::encodeName(empty.path()));
        fee::test::ScriptedPrompter prompter;
        prompter.script({fee::test::expect_message({fee::ui::chart_module_file(), empty.path()})});
        ModalScript script(fee::test::to_the_result('L', 'J', [](QWidget* grid) {
            press(child<QTableWidget>(grid, QStringLiteral("cost_grid")), Qt::Key_G);
            QVERIFY(!grid->findChild<QWidget*>(QStringLiteral("chart_window")));
            QTest::mouseClick(child<QPushButton>(grid, QStringLiteral("close_button")), Qt::LeftButton);
        }));
        fee::Calculation(table, prompter).run();
        qputenv("FEE_MODULE_DIR", module_dir);
        QVERIFY2(script.finish(), qPrintable(script.failure()));
        QVERIFY2(prompter.finish(), qPrintable(prompter.failure()));
    }

    void legendTogglesABrokerAndHoverShowsTheExactValue()
    {
        const BrokerTable table = three_brokers();
        const fee::TradePlan plan =
            fee::parse_plan(fee::preset_plan_by_key("low-occasional")->texts()).value();
        fee::ui::ChartWindow chart(table, plan);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QChartView* view = child<QChartView>(&chart, QStringLiteral("trade_chart"));
        QChart* trade = view->chart();
        auto* legend = child<QListWidget>(&chart, QStringLiteral("trade_legend"));
        QAbstractSeries* series = trade->series().at(1);
        legend->setCurrentRow(1);
        QTest::keyClick(legend, Qt::Key_Space);
        QVERIFY(!series->isVisible());
        QVERIFY(!view->accessibleDescription().contains(series->name()));
        QTest::keyClick(legend, Qt::Key_Space);
        QVERIFY(series->isVisible());
        QVERIFY(view->accessibleDescription().contains(series->name()));

        auto* line = qobject_cast<QLineSeries*>(trade->series().at(0));
        QVERIFY(line);
        emit line->hovered(QPointF(1'000'001.2, 11'500.0), true);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(),
                 QStringLiteral("サンプル証券\n¥1,000,001 の取引\n手数料 11500.0086 円（¥11,500）"));
        emit line->hovered(QPointF(1'000'001.2, 11'500.0), false);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void anOverflowHidesOnlyThatBrokerWhereItOverflowsUntilTheRangeNarrows()
    {
        // The second broker leaves the money range above ¥30,000,000; in the
        // plan, on the second tab, everywhere.
        BrokerTable table = three_brokers();
        for (const std::size_t k : {4u, 5u})
            table.broker(1).brackets.at(k).rate = 1e10f;
        fee::TradePlan plan = low_occasional();
        plan[0].amount = *Money::from_yen(40'000'000);
        fee::ui::ChartWindow chart(table, plan);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        auto* trade = child<QListWidget>(&chart, QStringLiteral("trade_legend"));
        auto* year = child<QListWidget>(&chart, QStringLiteral("year_legend"));
        for (QListWidget* legend : {trade, year}) {
            QCOMPARE(legend->item(0)->text(), QStringLiteral("サンプル証券"));
            QVERIFY(legend->item(1)->text().startsWith(QStringLiteral("Comma")));
            QVERIFY(legend->item(1)->text().size() > 20); // and where it overflows
            QCOMPARE(legend->item(2)->text(), QStringLiteral("Cheap"));
        }
        QVERIFY(trade->item(1)->text().contains(QStringLiteral("¥30,000,001")));
        auto names = [&](const char* view) {
            QStringList drawn;
            for (QAbstractSeries* s : child<QChartView>(&chart, QString::fromLatin1(view))->chart()->series())
                drawn << s->name();
            return drawn;
        };
        QCOMPARE(names("year_chart"), (QStringList{QStringLiteral("サンプル証券"), QStringLiteral("Cheap")}));
        QCOMPARE(names("trade_chart").size(), 3);
        auto* cheapest = child<QTableWidget>(&chart, QStringLiteral("trade_cheapest"));
        const int last = cheapest->rowCount() - 1;
        QVERIFY(cheapest->item(last, 0)->text().startsWith(QStringLiteral("¥30,000,001")));
        QVERIFY(cheapest->item(last, 2)->text().contains(QStringLiteral("Comma")));

        // A bad box is named and changes nothing; a narrower range has no overflow.
        auto* from = child<QLineEdit>(&chart, QStringLiteral("trade_from"));
        fee::test::retype(from, QStringLiteral("1.5"));
        QTest::mouseClick(child<QPushButton>(&chart, QStringLiteral("redraw_button")), Qt::LeftButton);
        QVERIFY(child<QLabel>(&chart, QStringLiteral("range_message"))->isVisible());
        QVERIFY(from->hasFocus());
        QVERIFY(trade->item(1)->text().contains(QStringLiteral("¥30,000,001")));
        fee::test::retype(from, QStringLiteral("10000"));
        fee::test::retype(child<QLineEdit>(&chart, QStringLiteral("trade_to")),
                          QStringLiteral("¥30,000,000"));
        QTest::keyClick(child<QLineEdit>(&chart, QStringLiteral("trade_to")), Qt::Key_Return);
        QCOMPARE(trade->item(1)->text(), QString::fromStdString(table.broker(1).name));
        QVERIFY(!child<QLabel>(&chart, QStringLiteral("range_message"))->isVisible());
    }

    void theTopOfTheMoneyRangeIsDrawnAndALongNameShortened()
    {
        BrokerTable table = three_brokers();
        const QString name(fee::kMaxNameCharacters, QChar(u'長'));
        table.broker(0).name = fee::encode_typed_name(name).value(); // the cheapest on a tie
        fee::ui::ChartWindow chart(table, low_occasional());
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        auto* legend = child<QListWidget>(&chart, QStringLiteral("trade_legend"));
        QCOMPARE(legend->item(0)->text(), fee::quoted_text(name));
        QCOMPARE(legend->item(0)->toolTip(), name);
        QVERIFY(legend->visualItemRect(legend->item(0)).height() < legend->viewport()->height() / 2);
        const QList<QTableWidgetItem*> ranked = child<QTableWidget>(&chart, QStringLiteral("trade_cheapest"))
                                                    ->findItems(fee::quoted_text(name), Qt::MatchExactly);
        QVERIFY(!ranked.isEmpty());
        QCOMPARE(ranked.first()->toolTip(), name);

        // Two amounts next to each other: a line from one side of the plot to the other.
        auto* to = child<QLineEdit>(&chart, QStringLiteral("trade_to"));
        fee::test::retype(child<QLineEdit>(&chart, QStringLiteral("trade_from")),
                          fee::yen_text(fee::kMaxWholeYen - 1));
        fee::test::retype(to, fee::yen_text(fee::kMaxWholeYen));
        QTest::keyClick(to, Qt::Key_Return);
        QChart* trade = child<QChartView>(&chart, QStringLiteral("trade_chart"))->chart();
        auto* line = qobject_cast<QLineSeries*>(trade->series().at(0));
        auto x_of = [&](QPointF point) { return trade->mapToPosition(point, line).x(); };
        QTRY_VERIFY(std::abs(x_of(line->points().first()) - trade->plotArea().left()) < 0.5);
        QVERIFY(std::abs(x_of(line->points().last()) - trade->plotArea().right()) < 0.5);
        auto* amounts = qobject_cast<QCategoryAxis*>(trade->axes(Qt::Horizontal).last());
        QVERIFY(amounts);
        QCOMPARE(amounts->categoriesLabels().value(0), fee::yen_text(fee::kMaxWholeYen - 1));
    }

    void aChangeMarkStandsHalfwayBetweenTheFactorsAroundIt()
    {
        // The second broker halves the commission for a yearly fee, which pays
        // off from some count on.
        BrokerTable table;
        table.set_last_broker(1);
        for (int r = 0; r <= 1; ++r)
            fee::test::set_standard_schedule(table, r);
        table.broker(0).yearly_fee = Money{};
        table.broker(1).brackets.at(0).rate = 0.00575f;
        fee::TradePlan plan{};
        plan[0] = {*Money::from_yen(300'000), 10};
        const fee::YearlyChart data = fee::yearly_chart(table, plan);
        const std::vector<fee::YearlyRun> runs = data.runs();
        QCOMPARE(runs.size(), 2u);
        fee::ui::ChartWindow chart(table, plan);
        child<QTabWidget>(&chart, QStringLiteral("chart_tabs"))->setCurrentIndex(1);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QChart* year = child<QChartView>(&chart, QStringLiteral("year_chart"))->chart();
        QList<QGraphicsLineItem*> marks;
        for (QGraphicsItem* item : year->childItems())
            if (auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(item);
                line && line->pen().style() == Qt::DashLine)
                marks << line;
        QCOMPARE(marks.size(), 1);
        auto x_of = [&](std::size_t i) {
            return year
                ->mapToPosition({data.factors[i], data.costs[0][i]->to_double_yen()}, year->series()[0])
                .x();
        };
        const double halfway = (x_of(runs[0].last) + x_of(runs[1].first)) / 2;
        QTRY_VERIFY(std::abs(marks[0]->line().x1() - halfway) < 0.5);
    }

    void runsBeyondAThousandAreCountedNotListed()
    {
        // Rates a float step apart, the first broker's the higher: wherever the
        // rounding makes them equal, the win goes back to it.
        BrokerTable table;
        table.set_last_broker(1);
        float rate = 0.00123457f;
        for (int r = 0; r <= 1; ++r) {
            for (fee::Bracket& k : table.broker(r).brackets)
                k.upper_bound = *Money::from_yen(fee::kMaxWholeYen);
            table.broker(r).brackets[0].rate = rate;
            rate = std::nextafter(rate, 0.0f);
        }
        const std::size_t runs = fee::cheapest_runs(table, fee::kChartAmounts).value().size();
        QVERIFY(runs > 1000);
        fee::ui::ChartWindow chart(table, low_occasional());
        auto* cheapest = child<QTableWidget>(&chart, QStringLiteral("trade_cheapest"));
        QCOMPARE(cheapest->rowCount(), 1001);
        QCOMPARE(cheapest->item(1000, 0)->text(), QStringLiteral("ほか %1 範囲").arg(runs - 1000));
    }
};

QTEST_MAIN(ChartTest)
#include "chart_test.moc"
