// The calculation chain: the two style questions, the trade plan window and the
// result grid, driven as a user drives them, from Calculation::run() and from
// the main window's 試算(&C).

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/analysis/accounts.h"
#include "core/datafile/data_file.h"
#include "core/document/data_document.h"
#include "core/fees/broker_table.h"
#include "core/fees/commission.h"
#include "core/fees/cost_messages.h"
#include "core/fees/preset_plans.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "gui/app/calculation.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/main_window.h"
#include "gui/windows/result_window.h"
#include "gui/windows/style_questions.h"
#include "gui/windows/trade_plan_window.h"
#include "gui_support.h"
#include "test_tables.h"

using fee::BrokerTable;
using fee::Money;
using fee::test::ModalScript;

namespace {

Money yen(std::int64_t y)
{
    return *Money::from_yen(y);
}

std::string cp932(const QString& name)
{
    auto bytes = fee::encode_typed_name(name);
    if (!bytes)
        qFatal("test name not in CP932");
    return bytes.value();
}

// Brokers whose schedule is all zero cost exactly their yearly fee, whatever
// the plan.
BrokerTable fee_only_brokers(const std::vector<std::pair<QString, std::int64_t>>& brokers)
{
    BrokerTable t;
    t.set_last_broker(static_cast<std::uint8_t>(brokers.size() - 1));
    for (std::size_t b = 0; b < brokers.size(); ++b) {
        t.broker(static_cast<int>(b)).name = cp932(brokers[b].first);
        t.broker(static_cast<int>(b)).yearly_fee = yen(brokers[b].second);
    }
    return t;
}

void press(QWidget* window, char letter)
{
    if (!fee::test::press_alt(window, letter))
        QTest::qFail("window never became active", __FILE__, __LINE__);
}

QPushButton* button(QWidget* window, const char* name)
{
    return fee::test::child<QPushButton>(window, QString::fromLatin1(name));
}

QLineEdit* amount_box(QWidget* plan, int row)
{
    return fee::test::child<QLineEdit>(plan, QStringLiteral("amount_box"), row);
}

QLineEdit* count_box(QWidget* plan, int row)
{
    return fee::test::child<QLineEdit>(plan, QStringLiteral("count_box"), row);
}

QStringList texts(QWidget* plan, QLineEdit* (*box)(QWidget*, int))
{
    QStringList l;
    for (int r = 0; r < fee::kPlanRows; ++r)
        l << box(plan, r)->text();
    return l;
}

QStringList amounts(QWidget* plan)
{
    return texts(plan, amount_box);
}

QStringList counts(QWidget* plan)
{
    return texts(plan, count_box);
}

QTableWidget* grid_of(QWidget* result)
{
    return fee::test::child<QTableWidget>(result, QStringLiteral("cost_grid"));
}

// A cell as the grid's design addresses it: row 0 is the header row, row b + 1
// holds broker b.
QTableWidgetItem* cell(QWidget* result, int row, int col)
{
    QTableWidget* grid = grid_of(result);
    return row == 0 ? grid->horizontalHeaderItem(col) : grid->item(row - 1, col);
}

QString cell_text(QWidget* result, int row, int col)
{
    return cell(result, row, col)->text();
}

QStringList column(QWidget* result, int col)
{
    QStringList l;
    for (int row = 1; row <= grid_of(result)->rowCount(); ++row)
        l << cell_text(result, row, col);
    return l;
}

QStringList preset_amounts(int money, int time)
{
    QStringList l;
    for (const auto& a : fee::preset_plan(money, time).amount)
        l << QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
    return l;
}

QStringList preset_counts(int money, int time)
{
    QStringList l;
    for (const auto& c : fee::preset_plan(money, time).count)
        l << QString::fromUtf8(c.data(), static_cast<qsizetype>(c.size()));
    return l;
}

int live_windows(const char* class_name)
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += w->inherits(class_name) ? 1 : 0;
    return n;
}

// The font a cell is drawn in: its own where it has one.
QFont cell_font(QWidget* result, int row, int col)
{
    const QTableWidgetItem* item = cell(result, row, col);
    return item->data(Qt::FontRole).isValid() ? item->font() : grid_of(result)->font();
}

bool cell_fits(QWidget* result, int row, int col)
{
    return QFontMetrics(cell_font(result, row, col)).horizontalAdvance(cell_text(result, row, col)) <
           grid_of(result)->columnWidth(col) - 4;
}

// Every broker row is in view and no cell text is cut off.
void check_nothing_hidden(QWidget* result)
{
    const QTableWidget* grid = grid_of(result);
    QVERIFY(!grid->verticalScrollBar()->isVisible());
    QVERIFY(!grid->horizontalScrollBar()->isVisible());
    const int last_row = grid->rowCount() - 1;
    QVERIFY(grid->rowViewportPosition(last_row) + grid->rowHeight(last_row) <= grid->viewport()->height());
    QVERIFY(grid->rowHeight(0) >= grid->fontMetrics().height());
    for (int row = 0; row <= grid->rowCount(); ++row)
        for (int col = 0; col < 2; ++col)
            QVERIFY2(cell_fits(result, row, col), qPrintable(cell_text(result, row, col)));
}

// What a user notices of a fixed layout: every control whole inside the
// window and none over another, every caption whole, and Tab walking the
// controls named in `tab_order` from the first, which has the focus, round
// to the first again.
void check_layout(QWidget* window, const QStringList& tab_order)
{
    QCOMPARE(fee::test::layout_problems(*window), QStringList());
    QCOMPARE(window->focusWidget()->objectName(), tab_order.first());
    const QStringList round = tab_order.mid(1) << tab_order.first();
    for (const QString& next : round) {
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        QCOMPARE(window->focusWidget()->objectName(), next);
    }
}

// Records when the chain's windows appear and disappear, and what the trade
// plan holds at the moment it appears.
class WindowLog : public QObject {
public:
    WindowLog() { qApp->installEventFilter(this); }
    ~WindowLog() override { qApp->removeEventFilter(this); }

    QStringList events;
    QStringList amounts_at_show;
    QStringList counts_at_show;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::Show && e->type() != QEvent::Hide)
            return false;
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || !w->isWindow() || w->objectName().isEmpty())
            return false;
        const bool show = e->type() == QEvent::Show;
        events << (show ? QStringLiteral("show ") : QStringLiteral("hide ")) + w->objectName();
        if (show && qobject_cast<fee::ui::TradePlanWindow*>(w)) {
            amounts_at_show = amounts(w);
            counts_at_show = counts(w);
        }
        return false;
    }
};

bool no_min_max(const QWidget* w)
{
    return !(w->windowFlags() & Qt::WindowMinimizeButtonHint) &&
           !(w->windowFlags() & Qt::WindowMaximizeButtonHint);
}

void maybe_screenshot(QWidget* w, const char* file)
{
    const QString dir = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(w->grab().save(QDir(dir).filePath(QString::fromLatin1(file))));
}

} // namespace

class CalculationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void questions_layout_and_focus();
    void every_answer_opens_its_preset_data();
    void every_answer_opens_its_preset();
    void closing_a_question_answers_nothing();
    void trade_plan_layout_and_tab_order();
    void worked_example_shows_441500();
    void sort_three_brokers_cheapest_first();
    void sort_keeps_ties_and_uses_exact_costs();
    void result_close_box_keeps_plan_and_next_grid_is_fresh();
    void bad_plan_box_is_named_and_focused_data();
    void bad_plan_box_is_named_and_focused();
    void overflow_is_told_and_shows_no_figures();
    void twenty_one_brokers_are_shown_and_ranked();
    void round_trip_from_main_window();
    void main_window_asks_again_after_unanswered_question();
    void esc_closes_nothing_and_enter_presses_the_focused_button();
    void a_long_cost_shows_every_digit();
    void the_grid_opens_the_cheapest_accounts();
    void twips_make_pixels_data();
    void twips_make_pixels();

private:
    // Answers the program's messages; a test scripts the ones it expects.
    fee::test::ScriptedPrompter prompter_;
};

void CalculationTest::initTestCase()
{
    fee::test::install_message_filter();
    fee::ui::apply_ui_font(*qApp);
}

void CalculationTest::cleanup()
{
    QVERIFY2(prompter_.finish(), qPrintable(prompter_.failure()));
}

void CalculationTest::questions_layout_and_focus()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 0}});
    fee::Calculation calc(table, prompter_);
    WindowLog log;

    auto check_frame = [](QWidget* d, const QString& question) {
        QCOMPARE(d->windowTitle(), QStringLiteral("投資のスタイルは？"));
        QVERIFY(no_min_max(d));
        QCOMPARE(fee::test::child<QLabel>(d, QStringLiteral("question_label"))->text(), question);
    };

    ModalScript script({
        {"amount_question",
         [&](QWidget* d) {
             check_frame(d, QStringLiteral("投資の金額はどのぐらいでしょうか"));
             QCOMPARE(button(d, "low_button")->text(), QStringLiteral("低額(&L)"));
             QCOMPARE(button(d, "high_button")->text(), QStringLiteral("高額(&H)"));
             check_layout(d, {"low_button", "high_button"});
             maybe_screenshot(d, "amount_question.png");
             press(d, 'H');
         }},
        {"frequency_question",
         [&](QWidget* d) {
             check_frame(d, QStringLiteral("売買の回数はどのぐらいでしょうか"));
             QCOMPARE(button(d, "occasional_button")->text(), QStringLiteral("たまに(&J)"));
             QCOMPARE(button(d, "frequent_button")->text(), QStringLiteral("頻繁(&I)"));
             check_layout(d, {"occasional_button", "frequent_button"});
             maybe_screenshot(d, "frequency_question.png");
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    QCOMPARE(log.events, QStringList({"show amount_question", "hide amount_question",
                                      "show frequency_question", "hide frequency_question"}));
    QCOMPARE(live_windows("fee::ui::AmountQuestion") + live_windows("fee::ui::FrequencyQuestion"), 0);
}

void CalculationTest::every_answer_opens_its_preset_data()
{
    QTest::addColumn<char>("money_key");
    QTest::addColumn<char>("time_key");
    QTest::addColumn<bool>("by_alt");
    QTest::addColumn<int>("high_amounts");
    QTest::addColumn<int>("frequent");

    for (const bool by_alt : {false, true}) {
        const char* how = by_alt ? "alt" : "click";
        QTest::addRow("low-occasional %s", how) << 'L' << 'J' << by_alt << 0 << 0;
        QTest::addRow("low-frequent %s", how) << 'L' << 'I' << by_alt << 0 << 1;
        QTest::addRow("high-occasional %s", how) << 'H' << 'J' << by_alt << 1 << 0;
        QTest::addRow("high-frequent %s", how) << 'H' << 'I' << by_alt << 1 << 1;
    }
}

void CalculationTest::every_answer_opens_its_preset()
{
    QFETCH(char, money_key);
    QFETCH(char, time_key);
    QFETCH(bool, by_alt);
    QFETCH(int, high_amounts);
    QFETCH(int, frequent);

    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 1000}});
    // An earlier run's answers are the opposite; they must not decide anything.
    {
        fee::Calculation earlier(table, prompter_);
        ModalScript script({
            {"amount_question", [&](QWidget* d) { press(d, high_amounts ? 'L' : 'H'); }},
            {"frequency_question", [&](QWidget* d) { press(d, frequent ? 'J' : 'I'); }},
            {"trade_plan_window", [](QWidget* d) { d->close(); }},
        });
        earlier.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    fee::Calculation calc(table, prompter_);
    WindowLog log;

    auto answer = [by_alt](QWidget* d, const char* name, char key) {
        if (by_alt)
            press(d, key);
        else
            QTest::mouseClick(button(d, name), Qt::LeftButton);
    };

    ModalScript script({
        {"amount_question",
         [&](QWidget* d) { answer(d, money_key == 'H' ? "high_button" : "low_button", money_key); }},
        {"frequency_question",
         [&](QWidget* d) { answer(d, time_key == 'I' ? "frequent_button" : "occasional_button", time_key); }},
        {"trade_plan_window",
         [&](QWidget* d) {
             QCOMPARE(amounts(d), preset_amounts(high_amounts, frequent));
             QCOMPARE(counts(d), preset_counts(high_amounts, frequent));
             QCOMPARE(d->focusWidget(), amount_box(d, 0));
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    // Each question is gone before the next window shows, and the plan is
    // complete before the trade plan window is first seen.
    QCOMPARE(log.events,
             QStringList({"show amount_question", "hide amount_question", "show frequency_question",
                          "hide frequency_question", "show trade_plan_window", "hide trade_plan_window"}));
    QCOMPARE(log.amounts_at_show, preset_amounts(high_amounts, frequent));
    QCOMPARE(log.counts_at_show, preset_counts(high_amounts, frequent));
    QCOMPARE(live_windows("fee::ui::TradePlanWindow"), 0);

    // The four plans differ where it matters: the only "3", and the 5 before the tens.
    if (high_amounts == 0 && frequent == 0)
        QCOMPARE(log.counts_at_show.at(4), QStringLiteral("3"));
    if (high_amounts == 1 && frequent == 0)
        QCOMPARE(log.counts_at_show, QStringList({"5", "10", "10", "10", "10"}));
}

void CalculationTest::closing_a_question_answers_nothing()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 1000}});
    fee::Calculation first(table, prompter_);
    fee::Calculation second(table, prompter_);
    fee::Calculation third(table, prompter_);
    WindowLog log;

    // Closed at the amount question: nothing is answered, nothing follows.
    {
        ModalScript script({{"amount_question", [](QWidget* d) { d->close(); }}});
        first.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    QCOMPARE(log.events, QStringList({"show amount_question", "hide amount_question"}));

    // Closed at the frequency question: the trade plan window is neither
    // filled nor opened.
    log.events.clear();
    {
        ModalScript script({
            {"amount_question", [](QWidget* d) { press(d, 'H'); }},
            {"frequency_question", [](QWidget* d) { d->close(); }},
        });
        second.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    QVERIFY(!log.events.contains("show trade_plan_window"));
    QCOMPARE(live_windows("fee::ui::TradePlanWindow"), 0);

    // The next run asks both questions again, and its answers alone decide.
    {
        ModalScript script({
            {"amount_question", [](QWidget* d) { press(d, 'L'); }},
            {"frequency_question", [](QWidget* d) { press(d, 'J'); }},
            {"trade_plan_window",
             [](QWidget* d) {
                 QCOMPARE(counts(d), preset_counts(0, 0));
                 d->close();
             }},
        });
        third.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
}

void CalculationTest::trade_plan_layout_and_tab_order()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 1000}});
    fee::Calculation calc(table, prompter_);

    // A freshly loaded window holds its design-time texts.
    {
        fee::ui::TradePlanWindow fresh(prompter_);
        QCOMPARE(amounts(&fresh),
                 QStringList({"500,000", "1,000,000", "5,000,000", "20,000,000", "100,000,000"}));
        QCOMPARE(counts(&fresh), QStringList({"20", "10", "3", "0", "0"}));
    }

    ModalScript script({
        {"amount_question", [](QWidget* d) { press(d, 'L'); }},
        {"frequency_question", [](QWidget* d) { press(d, 'J'); }},
        {"trade_plan_window",
         [](QWidget* d) {
             QCOMPARE(d->windowTitle(), QStringLiteral("どのぐらい株取引をしますか"));
             QVERIFY(no_min_max(d));
             QCOMPARE(button(d, "submit_button")->text(), QStringLiteral("試算(&D)"));
             for (int r = 0; r < fee::kPlanRows; ++r) {
                 QVERIFY(!amount_box(d, r)->testAttribute(Qt::WA_InputMethodEnabled));
                 QVERIFY(!count_box(d, r)->testAttribute(Qt::WA_InputMethodEnabled));
             }
             // The keyboard walks the amounts, then the counts, then the button.
             QStringList tab_order;
             for (const char* box : {"amount_box", "count_box"})
                 for (int r = 0; r < fee::kPlanRows; ++r)
                     tab_order << QStringLiteral("%1(%2)").arg(QLatin1String(box)).arg(r);
             check_layout(d, tab_order << "submit_button");
             maybe_screenshot(d, "trade_plan.png");
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::worked_example_shows_441500()
{
    BrokerTable table;
    fee::Calculation calc(table, prompter_);
    table.set_last_broker(0);
    table.broker(0).name = cp932(QStringLiteral("さくら証券"));
    fee::test::set_standard_schedule(table, 0);
    WindowLog log;

    ModalScript script({
        {"amount_question", [](QWidget* d) { press(d, 'L'); }},
        {"frequency_question", [](QWidget* d) { press(d, 'J'); }},
        {"trade_plan_window",
         [](QWidget* d) {
             // The low-amount, frequent preset is the worked plan; type it
             // anyway so the figure does not lean on the preset.
             const QStringList a = {"300,000", "500,000", "1,000,000", "3,000,000", "5,000,000"};
             const QStringList n = {"10", "10", "5", "5", "3"};
             for (int r = 0; r < fee::kPlanRows; ++r) {
                 fee::test::retype(amount_box(d, r), a[r]);
                 fee::test::retype(count_box(d, r), n[r]);
             }
             QCOMPARE(amounts(d), a);
             QCOMPARE(counts(d), n);
             press(d, 'D');
         }},
        {"result_window",
         [&](QWidget* d) {
             QTableWidget* grid = grid_of(d);
             QCOMPARE(d->windowTitle(), QStringLiteral("手数料の試算結果です"));
             QVERIFY(no_min_max(d));
             QCOMPARE(button(d, "sort_button")->text(), QStringLiteral("並べ替え(&S)"));
             QCOMPARE(button(d, "close_button")->text(), QStringLiteral("閉じる(&X)"));
             check_layout(d, {"cost_grid", "close_button", "sort_button"});
             grid->setFocus();

             QCOMPARE(grid->rowCount(), fee::kEditorLastBroker + 1);
             QCOMPARE(grid->columnCount(), 2);
             QCOMPARE(cell_text(d, 0, 0), QStringLiteral("会社名"));
             QCOMPARE(cell_text(d, 0, 1), QStringLiteral("試算結果"));
             QCOMPARE(cell(d, 0, 0)->textAlignment(), int(Qt::AlignCenter));
             QCOMPARE(cell(d, 0, 1)->textAlignment(), int(Qt::AlignCenter));
             for (int row = 1; row <= grid->rowCount(); ++row) {
                 QCOMPARE(cell(d, row, 0)->textAlignment(), int(Qt::AlignCenter));
                 QCOMPARE(cell(d, row, 1)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
             }
             QCOMPARE(grid->font().pointSize(), 9);
             if (fee::test::ipa_fonts_installed())
                 QVERIFY2(QFontInfo(grid->font()).family().contains(QStringLiteral("Gothic")),
                          qPrintable(QFontInfo(grid->font()).family()));

             QCOMPARE(cell_text(d, 1, 0), QStringLiteral("さくら証券"));
             QCOMPARE(cell_text(d, 1, 1), QStringLiteral("¥441,500"));
             for (int row = 2; row <= grid->rowCount(); ++row) {
                 QCOMPARE(cell_text(d, row, 0), QString());
                 QCOMPARE(cell_text(d, row, 1), QString());
             }
             check_nothing_hidden(d);

             // Read-only: editing keys change nothing.
             grid->setCurrentCell(0, 1);
             QTest::keyClick(grid, Qt::Key_F2);
             fee::test::type_text(grid, QStringLiteral("9"));
             QTest::keyClick(grid, Qt::Key_Return);
             QCOMPARE(cell_text(d, 1, 1), QStringLiteral("¥441,500"));

             // A single broker stays where it is.
             QSignalSpy sorted(button(d, "sort_button"), &QAbstractButton::clicked);
             press(d, 'S');
             QTRY_COMPARE_WITH_TIMEOUT(sorted.count(), 1, 2000);
             QCOMPARE(cell_text(d, 1, 0), QStringLiteral("さくら証券"));
             QCOMPARE(cell_text(d, 1, 1), QStringLiteral("¥441,500"));
             press(d, 'X');
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    // 閉じる(&X) unloads the result window first, then the trade plan.
    const QStringList tail = log.events.mid(log.events.size() - 2);
    QCOMPARE(tail, QStringList({"hide result_window", "hide trade_plan_window"}));
    QCOMPARE(live_windows("fee::ui::ResultWindow") + live_windows("fee::ui::TradePlanWindow"), 0);
}

void CalculationTest::sort_three_brokers_cheapest_first()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("Ａ証券"), 30'000},
                                          {QStringLiteral("Ｂ証券"), 10'000},
                                          {QStringLiteral("Ｃ証券"), 20'000}});
    fee::Calculation calc(table, prompter_);
    QStringList empty_rows;
    for (int i = 4; i <= 20; ++i)
        empty_rows << QString();

    ModalScript script(fee::test::to_the_result('H', 'I', [&](QWidget* d) {
        QCOMPARE(grid_of(d)->rowCount(), fee::kEditorLastBroker + 1);
        QCOMPARE(column(d, 0), QStringList({"Ａ証券", "Ｂ証券", "Ｃ証券"}) + empty_rows);
        QCOMPARE(column(d, 1), QStringList({"¥30,000", "¥10,000", "¥20,000"}) + empty_rows);

        QTest::mouseClick(button(d, "sort_button"), Qt::LeftButton);
        QCOMPARE(column(d, 0), QStringList({"Ｂ証券", "Ｃ証券", "Ａ証券"}) + empty_rows);
        QCOMPARE(column(d, 1), QStringList({"¥10,000", "¥20,000", "¥30,000"}) + empty_rows);

        QTest::mouseClick(button(d, "sort_button"), Qt::LeftButton);
        QCOMPARE(column(d, 0), QStringList({"Ｂ証券", "Ｃ証券", "Ａ証券"}) + empty_rows);
        QCOMPARE(column(d, 1), QStringList({"¥10,000", "¥20,000", "¥30,000"}) + empty_rows);
        QTest::mouseClick(button(d, "close_button"), Qt::LeftButton);
    }));
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

// Ctrl+K on the grid: the sets the companion gives for the same plan, the
// saving against the best single broker, and the grid's first place as k = 1.
void CalculationTest::the_grid_opens_the_cheapest_accounts()
{
    BrokerTable table;
    QVERIFY(fee::read_data_file(QStringLiteral(FEE_SAMPLE_DATA), table).ok());
    const auto plan = fee::parse_plan(fee::preset_plan(false, false).texts()).value();
    const auto sets = fee::cheapest_account_sets(table, plan, 3).value();
    QVERIFY(sets.size() >= 2 && sets[1].total < sets[0].total);
    QStringList pair;
    for (const int m : sets[1].members)
        pair << fee::decode_cp932(table.broker(m).name);
    fee::Calculation calc(table, prompter_);
    ModalScript script(fee::test::to_the_result('L', 'J', [&](QWidget* d) {
        QTest::mouseClick(button(d, "sort_button"), Qt::LeftButton);
        QTest::keyClick(grid_of(d), Qt::Key_K, Qt::ControlModifier);
        auto* window = d->findChild<QWidget*>(QStringLiteral("account_sets_window"));
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        auto* grid = fee::test::child<QTableWidget>(window, QStringLiteral("account_sets"));
        QCOMPARE(grid->item(0, 1)->text(), column(d, 0).first());
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("2"));
        QCOMPARE(grid->item(1, 1)->text(), pair.join(QStringLiteral("、")));
        QCOMPARE(grid->item(1, 2)->text(), fee::currency_form(sets[1].total));
        QCOMPARE(grid->item(1, 3)->text(), fee::currency_form(*sets[0].total.minus(sets[1].total)));
        maybe_screenshot(window, "accounts.png");
        QTest::mouseClick(button(d, "close_button"), Qt::LeftButton);
    }));
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::sort_keeps_ties_and_uses_exact_costs()
{
    // 441,500.0000 twice around the standard schedule's 441,499.9883: all three
    // show ¥441,500, the exact value puts the standard broker first, and the
    // two equal ones keep their table order.
    BrokerTable table = fee_only_brokers(
        {{QStringLiteral("一番"), 441'500}, {QStringLiteral("二番"), 0}, {QStringLiteral("三番"), 441'500}});
    fee::Calculation calc(table, prompter_);
    fee::test::set_standard_schedule(table, 1);

    ModalScript script(fee::test::to_the_result('L', 'J', [&](QWidget* d) {
        QCOMPARE(column(d, 1).mid(0, 3), QStringList({"¥441,500", "¥441,500", "¥441,500"}));
        press(d, 'S');
        QTRY_COMPARE_WITH_TIMEOUT(cell_text(d, 1, 0), QStringLiteral("二番"), 2000);
        QCOMPARE(column(d, 0).mid(0, 3), QStringList({"二番", "一番", "三番"}));
        QCOMPARE(column(d, 1).mid(0, 3), QStringList({"¥441,500", "¥441,500", "¥441,500"}));
        QTest::mouseClick(button(d, "sort_button"), Qt::LeftButton);
        QCOMPARE(column(d, 0).mid(0, 3), QStringList({"二番", "一番", "三番"}));
        QTest::mouseClick(button(d, "close_button"), Qt::LeftButton);
    }));
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::result_close_box_keeps_plan_and_next_grid_is_fresh()
{
    BrokerTable table;
    fee::Calculation calc(table, prompter_);
    table.set_last_broker(1);
    table.broker(0).name = cp932(QStringLiteral("標準証券"));
    fee::test::set_standard_schedule(table, 0);
    table.broker(1).name = cp932(QStringLiteral("定額証券"));
    table.broker(1).yearly_fee = yen(100'000);
    QPointer<QWidget> first_result;

    ModalScript script({
        {"amount_question", [](QWidget* d) { press(d, 'L'); }},
        {"frequency_question", [](QWidget* d) { press(d, 'J'); }},
        {"trade_plan_window", [](QWidget* d) { press(d, 'D'); }},
        {"result_window",
         [&](QWidget* d) {
             first_result = d;
             QCOMPARE(column(d, 1).mid(0, 2), QStringList({"¥441,500", "¥100,000"}));
             QTest::mouseClick(button(d, "sort_button"), Qt::LeftButton);
             QCOMPARE(column(d, 0).mid(0, 2), QStringList({"定額証券", "標準証券"}));
             d->close();
         }},
        {"trade_plan_window",
         [&](QWidget* d) {
             QVERIFY(first_result.isNull());
             QCOMPARE(amounts(d), preset_amounts(0, 0));
             QCOMPARE(counts(d), preset_counts(0, 0));
             // Drop the 3,000,000 trades: 147,499.9940 less.
             fee::test::retype(count_box(d, 3), QStringLiteral("0"));
             press(d, 'D');
         }},
        {"result_window",
         [&](QWidget* d) {
             // Table order again, new figures only.
             QCOMPARE(column(d, 0).mid(0, 3), QStringList({"標準証券", "定額証券", ""}));
             QCOMPARE(column(d, 1).mid(0, 3), QStringList({"¥294,000", "¥100,000", ""}));
             press(d, 'X');
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
    QCOMPARE(live_windows("fee::ui::TradePlanWindow"), 0);
}

void CalculationTest::bad_plan_box_is_named_and_focused_data()
{
    QTest::addColumn<bool>("is_count");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");

    QTest::newRow("count not a number")
        << true << 1 << QStringLiteral("abc") << QStringLiteral("2 行目の回数");
    QTest::newRow("empty amount") << false << 4 << QString() << QStringLiteral("5 行目の約定代金");
    QTest::newRow("count beyond 32 bits")
        << true << 0 << QStringLiteral("2147483648") << QStringLiteral("1 行目の回数");
    QTest::newRow("amount beyond money")
        << false << 2 << QStringLiteral("1,000,000,000,000,000") << QStringLiteral("3 行目の約定代金");
    QTest::newRow("kana amount") << false << 0 << QStringLiteral("いちまん")
                                 << QStringLiteral("1 行目の約定代金");
}

void CalculationTest::bad_plan_box_is_named_and_focused()
{
    QFETCH(bool, is_count);
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QString, named);

    BrokerTable table;
    fee::Calculation calc(table, prompter_);
    table.set_last_broker(0);
    table.broker(0).name = cp932(QStringLiteral("さくら証券"));
    fee::test::set_standard_schedule(table, 0);

    ModalScript script({
        {"amount_question", [](QWidget* d) { press(d, 'L'); }},
        {"frequency_question", [](QWidget* d) { press(d, 'J'); }},
        {"trade_plan_window",
         [&](QWidget* d) {
             QLineEdit* box = is_count ? count_box(d, row) : amount_box(d, row);
             box->setFocus();
             box->selectAll();
             if (text.isEmpty())
                 QTest::keyClick(box, Qt::Key_Delete);
             else
                 fee::test::type_text(box, text);
             QCOMPARE(box->text(), text);
             const QStringList typed_amounts = amounts(d);
             const QStringList typed_counts = counts(d);
             prompter_.script(
                 {fee::test::expect_message(text.isEmpty() ? QStringList{named} : QStringList{named, text})});
             // Compute with the focus elsewhere, so that it must be moved back.
             QTest::mouseClick(button(d, "submit_button"), Qt::LeftButton);
             QVERIFY2(prompter_.finish(), qPrintable(prompter_.failure()));
             QCOMPARE(d->focusWidget(), box);
             QCOMPARE(box->selectedText(), text);
             QCOMPARE(amounts(d), typed_amounts);
             QCOMPARE(counts(d), typed_counts);
             QCOMPARE(live_windows("fee::ui::ResultWindow"), 0);
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::overflow_is_told_and_shows_no_figures()
{
    BrokerTable table;
    fee::Calculation calc(table, prompter_);
    table.set_last_broker(1);
    table.broker(0).name = cp932(QStringLiteral("さくら証券"));
    fee::test::set_standard_schedule(table, 0);
    // Every positive amount falls in bracket 5 of an all-zero schedule; ten
    // trades at 100 trillion yen each leave the money range.
    table.broker(1).name = cp932(QStringLiteral("巨額証券"));
    table.broker(1).brackets.at(5).add_on = yen(100'000'000'000'000);

    ModalScript script({
        {"amount_question", [](QWidget* d) { press(d, 'L'); }},
        {"frequency_question", [](QWidget* d) { press(d, 'J'); }},
        {"trade_plan_window",
         [](QWidget* d) {
             // First a plan with no trades: every broker costs its fee.
             for (int r = 0; r < fee::kPlanRows; ++r)
                 fee::test::retype(count_box(d, r), QStringLiteral("0"));
             press(d, 'D');
         }},
        {"result_window",
         [&](QWidget* d) {
             QCOMPARE(column(d, 1).mid(0, 2), QStringList({"¥2,000", "¥0"}));
             d->close();
         }},
        {"trade_plan_window",
         [&](QWidget* d) {
             fee::test::retype(count_box(d, 0), QStringLiteral("10"));
             // The message names the broker and the cause: its add-on times
             // the count of the plan's first row.
             prompter_.script(
                 {fee::test::expect_message({QStringLiteral("巨額証券"), QStringLiteral("1 行目")})});
             QTest::mouseClick(button(d, "submit_button"), Qt::LeftButton);
             QVERIFY2(prompter_.finish(), qPrintable(prompter_.failure()));
             QCOMPARE(live_windows("fee::ui::ResultWindow"), 0);
             QCOMPARE(QApplication::activeModalWidget(), d);
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::twenty_one_brokers_are_shown_and_ranked()
{
    // Broker b costs (21 - b) thousand yen, so the last one, row 20, is cheapest.
    std::vector<std::pair<QString, std::int64_t>> brokers;
    for (int b = 0; b <= 20; ++b)
        brokers.emplace_back(QStringLiteral("会社%1").arg(b, 2, 10, QLatin1Char('0')), (21 - b) * 1000);
    BrokerTable table = fee_only_brokers(brokers);
    fee::Calculation calc(table, prompter_);
    QCOMPARE(int(table.last_broker()), 20);

    ModalScript script(fee::test::to_the_result('H', 'I', [&](QWidget* d) {
        QCOMPARE(grid_of(d)->rowCount(), 21);
        QCOMPARE(cell_text(d, 21, 0), QStringLiteral("会社20"));
        QCOMPARE(cell_text(d, 21, 1), QStringLiteral("¥1,000"));
        QCOMPARE(cell(d, 21, 1)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
        check_nothing_hidden(d);
        QTest::mouseClick(button(d, "sort_button"), Qt::LeftButton);
        for (int row = 1; row <= 21; ++row) {
            QCOMPARE(cell_text(d, row, 0), QStringLiteral("会社%1").arg(21 - row, 2, 10, QLatin1Char('0')));
            QCOMPARE(cell_text(d, row, 1), (fee::currency_form(yen(row * 1000))));
        }
        QTest::mouseClick(button(d, "close_button"), Qt::LeftButton);
    }));
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::round_trip_from_main_window()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString data = dir.filePath(QString::fromLatin1(fee::kDataFileName));
    QVERIFY(QFile::copy(QStringLiteral(FEE_SAMPLE_DATA), data));
    const QString previous_dir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    auto restore_dir = qScopeGuard([&] { QDir::setCurrent(previous_dir); });
    QFile file(data);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes_before = file.readAll();
    file.close();
    const QDateTime written_before = QFileInfo(data).lastModified();

    fee::DataDocument document(QDir::current().absoluteFilePath(QString::fromLatin1(fee::kDataFileName)));
    QVERIFY(document.open().ok());
    BrokerTable& table = document.table();
    fee::ui::MainWindow w(document, prompter_);
    w.load_table();
    w.show();
    // Without a window manager nothing activates a window by itself.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(table.last_broker() >= 2);

    // Look at another broker first, and edit its fee: the chain sees the edit
    // because 試算(&C) stores the editor first.
    auto* list = fee::test::child<QComboBox>(&w, QStringLiteral("broker_list"));
    auto* fee_box = fee::test::child<QLineEdit>(&w, QStringLiteral("yearly_fee_box"));
    auto* start = fee::test::child<QPushButton>(&w, QStringLiteral("calculate_button"));
    QVERIFY(list && fee_box && start);
    list->setFocus();
    // The first arrow key offscreen is sometimes swallowed; press until the
    // third broker shows.
    for (int i = 0; i < 6 && w.shown_broker() != 2; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(int(w.shown_broker()), 2);
    fee::test::retype(fee_box, QStringLiteral("1234"));
    const QString name_shown = list->currentText();

    BrokerTable expected_table = table;
    expected_table.broker(2).yearly_fee = yen(1234);
    const auto plan = fee::parse_plan(fee::preset_plan(1, 0).texts());
    QVERIFY(plan);
    const auto costs = fee::compute_yearly_costs(expected_table, plan.value());
    QVERIFY(costs);
    const auto order = fee::cost_order(costs.value());
    QStringList names_in_order;
    QStringList costs_in_order;
    QStringList costs_in_table_order;
    for (int j = 0; j <= expected_table.last_broker(); ++j) {
        names_in_order << fee::decode_cp932(expected_table.broker(order[j]).name);
        costs_in_order << fee::currency_form(costs.value()[order[j]]);
        costs_in_table_order << fee::currency_form(costs.value()[j]);
    }
    const int brokers = expected_table.last_broker() + 1;

    auto main_window_is_inert = [&](QWidget* top) {
        QVERIFY(w.isVisible());
        QVERIFY(QApplication::activeModalWidget() == top);
        // A click that reaches the main window through the platform is refused
        // while the chain is open; were it let through, a second question
        // would open.
        const int questions = live_windows("fee::ui::AmountQuestion");
        const QPoint at = start->mapTo(&w, start->rect().center());
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, at);
        fee::test::settle();
        QVERIFY(QApplication::activeModalWidget() == top);
        QCOMPARE(live_windows("fee::ui::AmountQuestion"), questions);
    };

    ModalScript script({
        {"amount_question",
         [&](QWidget* d) {
             main_window_is_inert(d);
             press(d, 'H');
         }},
        {"frequency_question", [](QWidget* d) { press(d, 'J'); }},
        {"trade_plan_window",
         [&](QWidget* d) {
             QCOMPARE(amounts(d), preset_amounts(1, 0));
             QCOMPARE(counts(d), preset_counts(1, 0));
             press(d, 'D');
         }},
        {"result_window",
         [&](QWidget* d) {
             main_window_is_inert(d);
             QCOMPARE(column(d, 1).mid(0, brokers), costs_in_table_order);
             press(d, 'S');
             QTRY_COMPARE_WITH_TIMEOUT(column(d, 1).mid(0, brokers), costs_in_order, 2000);
             QCOMPARE(column(d, 0).mid(0, brokers), names_in_order);
             check_nothing_hidden(d);
             maybe_screenshot(d, "result.png");
             press(d, 'X');
         }},
    });
    QVERIFY(fee::test::press_alt(&w, 'C'));
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    QCOMPARE(table.broker(2).yearly_fee.units(), yen(1234).units());
    QCOMPARE(live_windows("fee::ui::ResultWindow") + live_windows("fee::ui::TradePlanWindow"), 0);

    // Back in the main window: the same broker, the edit kept, and it takes
    // input again.
    QCOMPARE(int(w.shown_broker()), 2);
    QCOMPARE(list->currentText(), name_shown);
    QCOMPARE(fee_box->text(), QStringLiteral("1234"));
    {
        ModalScript again({{"amount_question", [](QWidget* d) { d->close(); }}});
        QVERIFY(fee::test::press_alt(&w, 'C'));
        QVERIFY2(again.finish(), qPrintable(again.failure()));
    }

    // Nothing in the chain writes the data file.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes_before);
    file.close();
    QCOMPARE(QFileInfo(data).lastModified(), written_before);
    // Only the lock that the open window holds beside the file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList({QString::fromLatin1(fee::kDataFileName), QStringLiteral("compare.dat.lock")}));
}

void CalculationTest::main_window_asks_again_after_unanswered_question()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(
        QFile::copy(QStringLiteral(FEE_SAMPLE_DATA), dir.filePath(QString::fromLatin1(fee::kDataFileName))));
    const QString previous_dir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    auto restore_dir = qScopeGuard([&] { QDir::setCurrent(previous_dir); });

    fee::DataDocument document(QDir::current().absoluteFilePath(QString::fromLatin1(fee::kDataFileName)));
    QVERIFY(document.open().ok());
    fee::ui::MainWindow w(document, prompter_);
    w.load_table();
    w.show();
    // Without a window manager nothing activates a window by itself.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    {
        ModalScript script({
            {"amount_question", [](QWidget* d) { press(d, 'L'); }},
            {"frequency_question", [](QWidget* d) { d->close(); }},
        });
        QTest::mouseClick(fee::test::child<QPushButton>(&w, QStringLiteral("calculate_button")),
                          Qt::LeftButton);
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    QCOMPARE(live_windows("fee::ui::TradePlanWindow"), 0);

    // The next 試算(&C) starts again with the amount question.
    {
        ModalScript script({
            {"amount_question", [](QWidget* d) { press(d, 'L'); }},
            {"frequency_question", [](QWidget* d) { press(d, 'I'); }},
            {"trade_plan_window",
             [](QWidget* d) {
                 QCOMPARE(counts(d), preset_counts(0, 1));
                 d->close();
             }},
        });
        QVERIFY(fee::test::press_alt(&w, 'C'));
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
}

void CalculationTest::esc_closes_nothing_and_enter_presses_the_focused_button()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 1000}});
    fee::Calculation calc(table, prompter_);
    // Esc in any window of the chain leaves it open; Enter in a text box
    // presses nothing; Enter on a focused button presses it.
    auto esc_keeps = [](QWidget* d) {
        QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
        fee::test::settle();
        QCOMPARE(QApplication::activeModalWidget(), d);
        QVERIFY(d->isVisible());
    };
    ModalScript script({
        {"amount_question",
         [&](QWidget* d) {
             esc_keeps(d);
             QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
             QTest::keyClick(d->focusWidget(), Qt::Key_Return); // 高額, which has the focus
         }},
        {"frequency_question",
         [&](QWidget* d) {
             esc_keeps(d);
             QTest::keyClick(d->focusWidget(), Qt::Key_Enter); // たまに, the first button
         }},
        {"trade_plan_window",
         [&](QWidget* d) {
             esc_keeps(d);
             QTest::keyClick(amount_box(d, 0), Qt::Key_Return);
             fee::test::settle();
             QCOMPARE(QApplication::activeModalWidget(), d);
             QCOMPARE(live_windows("fee::ui::ResultWindow"), 0);
             button(d, "submit_button")->setFocus();
             QTest::keyClick(button(d, "submit_button"), Qt::Key_Return);
         }},
        {"result_window",
         [&](QWidget* d) {
             esc_keeps(d);
             button(d, "close_button")->setFocus();
             QTest::keyClick(button(d, "close_button"), Qt::Key_Return);
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
    QCOMPARE(live_windows("fee::ui::TradePlanWindow") + live_windows("fee::ui::ResultWindow"), 0);
}

void CalculationTest::a_long_cost_shows_every_digit()
{
    // Eleven digits still fit the cost column at the smallest size; twelve do
    // not, and are drawn whole at that size rather than cut to an ellipsis.
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 28'475'200'000},
                                          {QStringLiteral("Ｂ証券"), 2000},
                                          {QStringLiteral("Ｃ証券"), 284'752'000'000}});
    fee::ui::ResultWindow r(table, {yen(28'475'200'000), yen(2000), yen(284'752'000'000)}, prompter_);
    r.show();
    const QFont grid_font = grid_of(&r)->font();
    QCOMPARE(cell_text(&r, 1, 1), QStringLiteral("¥28,475,200,000"));
    QVERIFY(cell_font(&r, 1, 1).pointSizeF() < grid_font.pointSizeF());
    QVERIFY(cell_fits(&r, 1, 1));
    QCOMPARE(cell_font(&r, 2, 1), grid_font); // a short figure keeps the grid's font
    QCOMPARE(cell_text(&r, 3, 1), QStringLiteral("¥284,752,000,000"));
    QCOMPARE(cell(&r, 3, 1)->toolTip(), QStringLiteral("¥284,752,000,000"));
    QCOMPARE(cell_font(&r, 3, 1).pointSizeF(), fee::ui::kMinimumTextPoints);
    QCOMPARE(grid_of(&r)->textElideMode(), Qt::ElideNone);
    // Sorted, the long figure moves and keeps its smaller font; the short one its own.
    QTest::mouseClick(button(&r, "sort_button"), Qt::LeftButton);
    QCOMPARE(cell_text(&r, 2, 1), QStringLiteral("¥28,475,200,000"));
    QCOMPARE(cell_font(&r, 1, 1), grid_font);
    QVERIFY(cell_font(&r, 2, 1).pointSizeF() < grid_font.pointSizeF());
}

// Layouts are drawn in twips, 15 to a pixel, and cut to whole pixels.
void CalculationTest::twips_make_pixels_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("one pixel") << 15 << 1;
    QTest::newRow("less than one") << 14 << 0;
    QTest::newRow("a button's height") << 375 << 25;
    QTest::newRow("cut, not rounded") << 1259 << 83;
}

void CalculationTest::twips_make_pixels()
{
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QWidget control;
    fee::ui::place(&control, twips, twips, twips, twips);
    QCOMPARE(control.geometry(), QRect(pixels, pixels, pixels, pixels));
}

QTEST_MAIN(CalculationTest)
#include "calculation_test.moc"
