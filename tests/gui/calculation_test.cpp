// The calculation chain: the two style questions, the trade plan window and the
// result grid, driven as a user drives them, from run_questionnaire() and from
// the main window's 試算(&C).

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/broker_table.h"
#include "core/codepage.h"
#include "core/commission.h"
#include "core/cost_messages.h"
#include "core/data_document.h"
#include "core/data_file.h"
#include "core/number_text.h"
#include "core/preset_plans.h"
#include "gui/calculation.h"
#include "gui/cost_switch.h"
#include "gui/fee_compare.h"
#include "gui/form_sl.h"
#include "gui/result_window.h"
#include "gui/text_fit.h"
#include "gui/time_switch.h"
#include "gui/twips.h"
#include "gui/ui_font.h"
#include "gui_support.h"
#include "test_tables.h"

using fee::BrokerTable;
using fee::Money;
using fee::test::ModalScript;
using fee::test::ModalStep;
using fee::ui::twips;

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
    t.set_last_row(static_cast<std::uint8_t>(brokers.size() - 1));
    for (std::size_t b = 0; b < brokers.size(); ++b) {
        t.broker(static_cast<int>(b)).name = cp932(brokers[b].first);
        t.broker(static_cast<int>(b)).yearly_fee = yen(brokers[b].second);
    }
    return t;
}

template <typename W> W* as(QWidget* w)
{
    auto* window = qobject_cast<W*>(w);
    if (!window)
        QTest::qFail("unexpected window type", __FILE__, __LINE__);
    return window;
}

void retype(QLineEdit& box, const QString& text)
{
    fee::test::retype(&box, text);
}

void press(QWidget* window, char letter)
{
    if (!fee::test::press_alt(window, letter))
        QTest::qFail("window never became active", __FILE__, __LINE__);
}

QStringList amounts(const fee::ui::Form_sl& f)
{
    QStringList l;
    for (const auto& box : f.l_sm_money)
        l << box.text();
    return l;
}

QStringList counts(const fee::ui::Form_sl& f)
{
    QStringList l;
    for (const auto& box : f.l_sl_num)
        l << box.text();
    return l;
}

QStringList column(const fee::ui::result& r, int col)
{
    QStringList l;
    for (int row = 1; row < r.rows(); ++row)
        l << r.text_matrix(row, col);
    return l;
}

// An answer as the old one-byte flags held it; -1 when the question was closed.
int answer_of(std::optional<bool> a)
{
    return a ? int(*a) : -1;
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
QFont cell_font(const fee::ui::result& r, int row, int col)
{
    const QTableWidgetItem* item =
        row == 0 ? r.comp_fig.horizontalHeaderItem(col) : r.comp_fig.item(row - 1, col);
    return item->data(Qt::FontRole).isValid() ? item->font() : r.comp_fig.font();
}

bool cell_fits(const fee::ui::result& r, int row, int col)
{
    return QFontMetrics(cell_font(r, row, col)).horizontalAdvance(r.text_matrix(row, col)) <
           r.comp_fig.columnWidth(col) - 4;
}

// Every broker row is in view and no cell text is cut off.
void check_nothing_hidden(const fee::ui::result& r)
{
    QVERIFY(!r.comp_fig.verticalScrollBar()->isVisible());
    QVERIFY(!r.comp_fig.horizontalScrollBar()->isVisible());
    const int last_row = r.comp_fig.rowCount() - 1;
    QVERIFY(r.comp_fig.rowViewportPosition(last_row) + r.comp_fig.rowHeight(last_row) <=
            r.comp_fig.viewport()->height());
    QVERIFY(r.comp_fig.rowHeight(0) >= r.comp_fig.fontMetrics().height());
    for (int row = 0; row < r.rows(); ++row)
        for (int col = 0; col < 2; ++col)
            QVERIFY2(cell_fits(r, row, col), qPrintable(r.text_matrix(row, col)));
}

// Records when the chain's windows appear and disappear, and what the trade
// plan holds and which flags are set at the moment each window appears.
class WindowLog : public QObject {
public:
    explicit WindowLog(const fee::Calculation& calc) : calc_(calc) { qApp->installEventFilter(this); }
    ~WindowLog() override { qApp->removeEventFilter(this); }

    QStringList events;
    QStringList amounts_at_show;
    QStringList counts_at_show;
    int sw_money_at_time_switch = -1;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::Show && e->type() != QEvent::Hide)
            return false;
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || !w->isWindow() || w->objectName().isEmpty() || qobject_cast<QMessageBox*>(w))
            return false;
        const bool show = e->type() == QEvent::Show;
        events << (show ? QStringLiteral("show ") : QStringLiteral("hide ")) + w->objectName();
        if (show) {
            if (auto* f = qobject_cast<fee::ui::Form_sl*>(w)) {
                amounts_at_show = amounts(*f);
                counts_at_show = counts(*f);
            }
            if (qobject_cast<fee::ui::time_switch*>(w))
                sw_money_at_time_switch = answer_of(calc_.high_amounts());
        }
        return false;
    }

private:
    const fee::Calculation& calc_;
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
    void overflow_keeps_last_costs();
    void twenty_one_brokers_are_shown_and_ranked();
    void round_trip_from_main_window();
    void main_window_asks_again_after_unanswered_question();
    void esc_closes_nothing_and_enter_presses_the_focused_button();
    void a_long_cost_shows_every_digit();
};

void CalculationTest::initTestCase()
{
    fee::test::install_message_filter();
    fee::ui::apply_ui_font(*qApp);
}

void CalculationTest::questions_layout_and_focus()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 0}});
    fee::Calculation calc(table);
    WindowLog log(calc);

    auto check_frame = [](QWidget* d, const QString& question) {
        QCOMPARE(d->windowTitle(), QStringLiteral("投資のスタイルは？"));
        QCOMPARE(d->size(), QSize(twips(2850), twips(945)));
        QVERIFY(no_min_max(d));
        auto* label = d->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), question);
        QCOMPARE(label->geometry(), QRect(twips(120), twips(120), twips(2655), twips(255)));
        // The text fits the fixed label: nothing is cut off.
        QVERIFY(label->fontMetrics().horizontalAdvance(question) <= label->width());
    };

    ModalScript script({
        {"cost_switch",
         [&](QWidget* d) {
             auto* q = as<fee::ui::cost_switch>(d);
             QVERIFY(q);
             check_frame(d, QStringLiteral("投資の金額はどのぐらいでしょうか"));
             QCOMPARE(q->key_low.text(), QStringLiteral("低額(&L)"));
             QCOMPARE(q->key_high.text(), QStringLiteral("高額(&H)"));
             QCOMPARE(q->key_low.geometry(), QRect(twips(120), twips(480), twips(1215), twips(375)));
             QCOMPARE(q->key_high.geometry(), QRect(twips(1560), twips(480), twips(1215), twips(375)));
             QCOMPARE(d->focusWidget(), &q->key_low);
             QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
             QCOMPARE(d->focusWidget(), &q->key_high);
             maybe_screenshot(d, "cost_switch.png");
             press(d, 'H');
         }},
        {"time_switch",
         [&](QWidget* d) {
             auto* q = as<fee::ui::time_switch>(d);
             QVERIFY(q);
             check_frame(d, QStringLiteral("売買の回数はどのぐらいでしょうか"));
             QCOMPARE(q->key_few.text(), QStringLiteral("たまに(&J)"));
             QCOMPARE(q->key_many.text(), QStringLiteral("頻繁(&I)"));
             QCOMPARE(q->key_few.geometry(), QRect(twips(120), twips(480), twips(1215), twips(375)));
             QCOMPARE(q->key_many.geometry(), QRect(twips(1560), twips(480), twips(1215), twips(375)));
             QCOMPARE(d->focusWidget(), &q->key_few);
             maybe_screenshot(d, "time_switch.png");
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    QCOMPARE(answer_of(calc.high_amounts()), 1);
    QCOMPARE(answer_of(calc.frequent()), -1);
    QCOMPARE(log.events,
             QStringList({"show cost_switch", "hide cost_switch", "show time_switch", "hide time_switch"}));
    QCOMPARE(live_windows("fee::ui::cost_switch") + live_windows("fee::ui::time_switch"), 0);
}

void CalculationTest::every_answer_opens_its_preset_data()
{
    QTest::addColumn<char>("money_key");
    QTest::addColumn<char>("time_key");
    QTest::addColumn<bool>("by_alt");
    QTest::addColumn<int>("sw_money");
    QTest::addColumn<int>("sw_time");

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
    QFETCH(int, sw_money);
    QFETCH(int, sw_time);

    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 1000}});
    // An earlier run's answers are the opposite; they must not decide anything.
    {
        fee::Calculation earlier(table);
        ModalScript script({
            {"cost_switch", [&](QWidget* d) { press(d, sw_money ? 'L' : 'H'); }},
            {"time_switch", [&](QWidget* d) { press(d, sw_time ? 'J' : 'I'); }},
            {"Form_sl", [](QWidget* d) { d->close(); }},
        });
        earlier.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    fee::Calculation calc(table);
    WindowLog log(calc);

    auto answer = [by_alt](QWidget* d, QPushButton& button, char key) {
        if (by_alt)
            press(d, key);
        else
            QTest::mouseClick(&button, Qt::LeftButton);
    };

    ModalScript script({
        {"cost_switch",
         [&](QWidget* d) {
             auto* q = as<fee::ui::cost_switch>(d);
             QVERIFY(q);
             answer(d, money_key == 'H' ? q->key_high : q->key_low, money_key);
         }},
        {"time_switch",
         [&](QWidget* d) {
             auto* q = as<fee::ui::time_switch>(d);
             QVERIFY(q);
             QCOMPARE(answer_of(calc.high_amounts()), sw_money);
             answer(d, time_key == 'I' ? q->key_many : q->key_few, time_key);
         }},
        {"Form_sl",
         [&](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             QCOMPARE(answer_of(calc.frequent()), sw_time);
             QCOMPARE(amounts(*f), preset_amounts(sw_money, sw_time));
             QCOMPARE(counts(*f), preset_counts(sw_money, sw_time));
             QCOMPARE(d->focusWidget(), &f->l_sm_money[0]);
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    QCOMPARE(answer_of(calc.high_amounts()), sw_money);
    QCOMPARE(answer_of(calc.frequent()), sw_time);
    QCOMPARE(log.sw_money_at_time_switch, sw_money);
    // Each question is gone before the next window shows, and the plan is
    // complete before the trade plan window is first seen.
    QCOMPARE(log.events, QStringList({"show cost_switch", "hide cost_switch", "show time_switch",
                                      "hide time_switch", "show Form_sl", "hide Form_sl"}));
    QCOMPARE(log.amounts_at_show, preset_amounts(sw_money, sw_time));
    QCOMPARE(log.counts_at_show, preset_counts(sw_money, sw_time));
    QCOMPARE(live_windows("fee::ui::Form_sl"), 0);

    // The four plans differ where it matters: the only "3", and the 5 before the tens.
    if (sw_money == 0 && sw_time == 0)
        QCOMPARE(log.counts_at_show.at(4), QStringLiteral("3"));
    if (sw_money == 1 && sw_time == 0)
        QCOMPARE(log.counts_at_show, QStringList({"5", "10", "10", "10", "10"}));
}

void CalculationTest::closing_a_question_answers_nothing()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 1000}});
    fee::Calculation first(table);
    fee::Calculation second(table);
    fee::Calculation third(table);
    WindowLog log(second);

    // Closed at the amount question: nothing is answered, nothing follows.
    {
        ModalScript script({{"cost_switch", [](QWidget* d) { d->close(); }}});
        first.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    QCOMPARE(answer_of(first.high_amounts()), -1);
    QCOMPARE(answer_of(first.frequent()), -1);
    QCOMPARE(log.events, QStringList({"show cost_switch", "hide cost_switch"}));

    // Closed at the frequency question: the amount answer stays, the trade plan
    // window is neither filled nor opened.
    log.events.clear();
    {
        ModalScript script({
            {"cost_switch", [](QWidget* d) { press(d, 'H'); }},
            {"time_switch", [](QWidget* d) { d->close(); }},
        });
        second.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    QCOMPARE(answer_of(second.high_amounts()), 1);
    QCOMPARE(answer_of(second.frequent()), -1);
    QCOMPARE(log.sw_money_at_time_switch, 1);
    QVERIFY(!log.events.contains("show Form_sl"));
    QCOMPARE(live_windows("fee::ui::Form_sl"), 0);

    // The next run asks both questions again, and its answers alone decide.
    {
        ModalScript script({
            {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
            {"time_switch", [](QWidget* d) { press(d, 'J'); }},
            {"Form_sl",
             [](QWidget* d) {
                 auto* f = as<fee::ui::Form_sl>(d);
                 QVERIFY(f);
                 QCOMPARE(counts(*f), preset_counts(0, 0));
                 d->close();
             }},
        });
        third.run();
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    QCOMPARE(answer_of(third.high_amounts()), 0);
    QCOMPARE(answer_of(third.frequent()), 0);
}

void CalculationTest::trade_plan_layout_and_tab_order()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 1000}});
    fee::Calculation calc(table);

    // A freshly loaded window holds its design-time texts.
    {
        fee::ui::Form_sl fresh(table);
        QCOMPARE(amounts(fresh),
                 QStringList({"500,000", "1,000,000", "5,000,000", "20,000,000", "100,000,000"}));
        QCOMPARE(counts(fresh), QStringList({"20", "10", "3", "0", "0"}));
    }

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
        {"time_switch", [](QWidget* d) { press(d, 'J'); }},
        {"Form_sl",
         [](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             QCOMPARE(d->windowTitle(), QStringLiteral("どのぐらい株取引をしますか"));
             QCOMPARE(d->size(), QSize(twips(5175), twips(2850)));
             QVERIFY(no_min_max(d));
             QCOMPARE(f->Label1.text(), QStringLiteral("１年間で、予想される株売買を記入して下さい"));
             QCOMPARE(f->Label1.geometry(), QRect(twips(120), twips(120), twips(3615), twips(255)));
             QCOMPARE(f->key_cal2.text(), QStringLiteral("試算(&D)"));
             QCOMPARE(f->key_cal2.geometry(), QRect(twips(1680), twips(2400), twips(1815), twips(375)));
             for (int r = 0; r < fee::kPlanRows; ++r) {
                 const int top = twips(600 + 360 * r);
                 QCOMPARE(f->l_sm_money[r].geometry(), QRect(twips(120), top, twips(1095), twips(270)));
                 QCOMPARE(f->Label2[r].geometry(), QRect(twips(1320), top, twips(1335), twips(255)));
                 QCOMPARE(f->l_sl_num[r].geometry(), QRect(twips(2760), top, twips(615), twips(270)));
                 QCOMPARE(f->Label3[r].geometry(), QRect(twips(3480), top, twips(1575), twips(255)));
                 QCOMPARE(f->Label2[r].text(), QStringLiteral("円の取引を１年に"));
                 QCOMPARE(f->Label3[r].text(), QStringLiteral("回ぐらいするでしょう"));
                 QVERIFY(!f->l_sm_money[r].testAttribute(Qt::WA_InputMethodEnabled));
                 QVERIFY(!f->l_sl_num[r].testAttribute(Qt::WA_InputMethodEnabled));
             }
             for (const QLabel* label : d->findChildren<QLabel*>())
                 QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                          qPrintable(label->text()));

             // The keyboard walks the amounts, then the counts, then the button.
             QList<QWidget*> expected;
             for (auto& box : f->l_sm_money)
                 expected << &box;
             for (auto& box : f->l_sl_num)
                 expected << &box;
             expected << &f->key_cal2 << &f->l_sm_money[0];
             QCOMPARE(d->focusWidget(), expected.takeFirst());
             for (QWidget* next : expected) {
                 QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
                 QCOMPARE(d->focusWidget(), next);
             }
             maybe_screenshot(d, "form_sl.png");
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::worked_example_shows_441500()
{
    BrokerTable table;
    fee::Calculation calc(table);
    table.set_last_row(0);
    table.broker(0).name = cp932(QStringLiteral("さくら証券"));
    fee::test::set_standard_schedule(table, 0);
    WindowLog log(calc);

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
        {"time_switch", [](QWidget* d) { press(d, 'J'); }},
        {"Form_sl",
         [](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             // The low-amount, occasional preset is the worked plan; type it
             // anyway so the figure does not lean on the preset.
             const QStringList a = {"300,000", "500,000", "1,000,000", "3,000,000", "5,000,000"};
             const QStringList n = {"10", "10", "5", "5", "3"};
             for (int r = 0; r < fee::kPlanRows; ++r) {
                 retype(f->l_sm_money[r], a[r]);
                 retype(f->l_sl_num[r], n[r]);
             }
             QCOMPARE(amounts(*f), a);
             QCOMPARE(counts(*f), n);
             press(d, 'D');
         }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             QCOMPARE(d->windowTitle(), QStringLiteral("手数料の試算結果です"));
             QCOMPARE(d->size(), QSize(twips(3570), twips(5475)));
             QVERIFY(no_min_max(d));
             QCOMPARE(r->comp_fig.geometry(), QRect(twips(120), twips(120), twips(3375), twips(4815)));
             QCOMPARE(r->key_sort.geometry(), QRect(twips(240), twips(5040), twips(1455), twips(375)));
             QCOMPARE(r->key_end3.geometry(), QRect(twips(1920), twips(5040), twips(1455), twips(375)));
             QCOMPARE(r->key_sort.text(), QStringLiteral("並べ替え(&S)"));
             QCOMPARE(r->key_end3.text(), QStringLiteral("閉じる(&X)"));
             QCOMPARE(d->focusWidget(), &r->comp_fig);
             QTest::keyClick(&r->comp_fig, Qt::Key_Tab);
             QCOMPARE(d->focusWidget(), &r->key_end3);
             QTest::keyClick(&r->key_end3, Qt::Key_Tab);
             QCOMPARE(d->focusWidget(), &r->key_sort);
             r->comp_fig.setFocus();

             QCOMPARE(r->rows(), 21);
             QCOMPARE(r->comp_fig.columnCount(), 2);
             QCOMPARE(r->comp_fig.columnWidth(0), twips(2000));
             QCOMPARE(r->comp_fig.columnWidth(1), twips(1250));
             QCOMPARE(r->text_matrix(0, 0), QStringLiteral("会社名"));
             QCOMPARE(r->text_matrix(0, 1), QStringLiteral("試算結果"));
             QCOMPARE(r->cell_alignment(0, 0), Qt::Alignment(Qt::AlignCenter));
             QCOMPARE(r->cell_alignment(0, 1), Qt::Alignment(Qt::AlignCenter));
             for (int row = 1; row < r->rows(); ++row) {
                 QCOMPARE(r->cell_alignment(row, 0), Qt::Alignment(Qt::AlignCenter));
                 QCOMPARE(r->cell_alignment(row, 1), Qt::AlignRight | Qt::AlignVCenter);
             }
             QCOMPARE(r->comp_fig.font().pointSize(), 9);
             if (fee::test::ipa_fonts_installed())
                 QVERIFY2(QFontInfo(r->comp_fig.font()).family().contains(QStringLiteral("Gothic")),
                          qPrintable(QFontInfo(r->comp_fig.font()).family()));

             QCOMPARE(r->text_matrix(1, 0), QStringLiteral("さくら証券"));
             QCOMPARE(r->text_matrix(1, 1), QStringLiteral("¥441,500"));
             for (int row = 2; row < r->rows(); ++row) {
                 QCOMPARE(r->text_matrix(row, 0), QString());
                 QCOMPARE(r->text_matrix(row, 1), QString());
             }
             QCOMPARE(calc.last_costs().at(0).units(), 4'414'999'883);
             check_nothing_hidden(*r);

             // Read-only: editing keys change nothing.
             r->comp_fig.setCurrentCell(0, 1);
             QTest::keyClick(&r->comp_fig, Qt::Key_F2);
             fee::test::type_text(&r->comp_fig, QStringLiteral("9"));
             QTest::keyClick(&r->comp_fig, Qt::Key_Return);
             QCOMPARE(r->text_matrix(1, 1), QStringLiteral("¥441,500"));

             // A single broker stays where it is.
             QSignalSpy sorted(&r->key_sort, &QAbstractButton::clicked);
             press(d, 'S');
             QTRY_COMPARE_WITH_TIMEOUT(sorted.count(), 1, 2000);
             QCOMPARE(r->text_matrix(1, 0), QStringLiteral("さくら証券"));
             QCOMPARE(r->text_matrix(1, 1), QStringLiteral("¥441,500"));
             press(d, 'X');
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    QCOMPARE(calc.last_costs().at(0).units(), 4'414'999'883);
    // 閉じる(&X) unloads the result window first, then the trade plan.
    const QStringList tail = log.events.mid(log.events.size() - 2);
    QCOMPARE(tail, QStringList({"hide result", "hide Form_sl"}));
    QCOMPARE(live_windows("fee::ui::result") + live_windows("fee::ui::Form_sl"), 0);
}

void CalculationTest::sort_three_brokers_cheapest_first()
{
    BrokerTable table = fee_only_brokers({{QStringLiteral("Ａ証券"), 30'000},
                                          {QStringLiteral("Ｂ証券"), 10'000},
                                          {QStringLiteral("Ｃ証券"), 20'000}});
    fee::Calculation calc(table);
    QStringList empty_rows;
    for (int i = 4; i <= 20; ++i)
        empty_rows << QString();

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'H'); }},
        {"time_switch", [](QWidget* d) { press(d, 'I'); }},
        {"Form_sl", [](QWidget* d) { press(d, 'D'); }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             QCOMPARE(r->rows(), 21);
             QCOMPARE(column(*r, 0), QStringList({"Ａ証券", "Ｂ証券", "Ｃ証券"}) + empty_rows);
             QCOMPARE(column(*r, 1), QStringList({"¥30,000", "¥10,000", "¥20,000"}) + empty_rows);

             QTest::mouseClick(&r->key_sort, Qt::LeftButton);
             QCOMPARE(column(*r, 0), QStringList({"Ｂ証券", "Ｃ証券", "Ａ証券"}) + empty_rows);
             QCOMPARE(column(*r, 1), QStringList({"¥10,000", "¥20,000", "¥30,000"}) + empty_rows);
             // The table itself keeps its order.
             QCOMPARE(calc.last_costs().at(0).units(), yen(30'000).units());
             QCOMPARE(calc.last_costs().at(1).units(), yen(10'000).units());
             QCOMPARE(calc.last_costs().at(2).units(), yen(20'000).units());

             QTest::mouseClick(&r->key_sort, Qt::LeftButton);
             QCOMPARE(column(*r, 0), QStringList({"Ｂ証券", "Ｃ証券", "Ａ証券"}) + empty_rows);
             QCOMPARE(column(*r, 1), QStringList({"¥10,000", "¥20,000", "¥30,000"}) + empty_rows);
             QTest::mouseClick(&r->key_end3, Qt::LeftButton);
         }},
    });
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
    fee::Calculation calc(table);
    fee::test::set_standard_schedule(table, 1);

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
        {"time_switch", [](QWidget* d) { press(d, 'J'); }},
        {"Form_sl", [](QWidget* d) { press(d, 'D'); }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             QCOMPARE(column(*r, 1).mid(0, 3), QStringList({"¥441,500", "¥441,500", "¥441,500"}));
             QCOMPARE(calc.last_costs().at(1).units(), 4'414'999'883);
             press(d, 'S');
             QTRY_COMPARE_WITH_TIMEOUT(r->text_matrix(1, 0), QStringLiteral("二番"), 2000);
             QCOMPARE(column(*r, 0).mid(0, 3), QStringList({"二番", "一番", "三番"}));
             QCOMPARE(column(*r, 1).mid(0, 3), QStringList({"¥441,500", "¥441,500", "¥441,500"}));
             QTest::mouseClick(&r->key_sort, Qt::LeftButton);
             QCOMPARE(column(*r, 0).mid(0, 3), QStringList({"二番", "一番", "三番"}));
             QTest::mouseClick(&r->key_end3, Qt::LeftButton);
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
}

void CalculationTest::result_close_box_keeps_plan_and_next_grid_is_fresh()
{
    BrokerTable table;
    fee::Calculation calc(table);
    table.set_last_row(1);
    table.broker(0).name = cp932(QStringLiteral("標準証券"));
    fee::test::set_standard_schedule(table, 0);
    table.broker(1).name = cp932(QStringLiteral("定額証券"));
    table.broker(1).yearly_fee = yen(100'000);
    QPointer<QWidget> first_result;

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
        {"time_switch", [](QWidget* d) { press(d, 'J'); }},
        {"Form_sl", [](QWidget* d) { press(d, 'D'); }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             first_result = d;
             QCOMPARE(column(*r, 1).mid(0, 2), QStringList({"¥441,500", "¥100,000"}));
             QTest::mouseClick(&r->key_sort, Qt::LeftButton);
             QCOMPARE(column(*r, 0).mid(0, 2), QStringList({"定額証券", "標準証券"}));
             d->close();
         }},
        {"Form_sl",
         [&](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             QVERIFY(first_result.isNull());
             QCOMPARE(amounts(*f), preset_amounts(0, 0));
             QCOMPARE(counts(*f), preset_counts(0, 0));
             // Drop the 3,000,000 trades: 147,499.9940 less.
             retype(f->l_sl_num[3], QStringLiteral("0"));
             press(d, 'D');
         }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             // Table order again, new figures only.
             QCOMPARE(column(*r, 0).mid(0, 3), QStringList({"標準証券", "定額証券", ""}));
             QCOMPARE(column(*r, 1).mid(0, 3), QStringList({"¥294,000", "¥100,000", ""}));
             QCOMPARE(calc.last_costs().at(0).units(), 2'939'999'943);
             press(d, 'X');
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
    QCOMPARE(live_windows("fee::ui::Form_sl"), 0);
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
    fee::Calculation calc(table);
    table.set_last_row(0);
    table.broker(0).name = cp932(QStringLiteral("さくら証券"));
    fee::test::set_standard_schedule(table, 0);
    QStringList typed_amounts;
    QStringList typed_counts;

    auto box_of = [&](fee::ui::Form_sl* f) -> QLineEdit& {
        return is_count ? f->l_sl_num[row] : f->l_sm_money[row];
    };

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
        {"time_switch", [](QWidget* d) { press(d, 'J'); }},
        {"Form_sl",
         [&](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             QLineEdit& box = box_of(f);
             box.setFocus();
             box.selectAll();
             if (text.isEmpty())
                 QTest::keyClick(&box, Qt::Key_Delete);
             else
                 fee::test::type_text(&box, text);
             QCOMPARE(box.text(), text);
             typed_amounts = amounts(*f);
             typed_counts = counts(*f);
             // Compute with the focus elsewhere, so that it must be moved back.
             f->key_cal2.setFocus();
             press(d, 'D');
         }},
        {"QMessageBox",
         [&](QWidget* d) {
             auto* box = as<QMessageBox>(d);
             QVERIFY(box);
             QVERIFY2(box->text().contains(named), qPrintable(box->text()));
             if (!text.isEmpty())
                 QVERIFY2(box->text().contains(text), qPrintable(box->text()));
             QCOMPARE(live_windows("fee::ui::result"), 0);
             fee::test::click_button(d, QStringLiteral("OK"));
         }},
        {"Form_sl",
         [&](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             QCOMPARE(d->focusWidget(), &box_of(f));
             QCOMPARE(amounts(*f), typed_amounts);
             QCOMPARE(counts(*f), typed_counts);
             QCOMPARE(live_windows("fee::ui::result"), 0);
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
    QVERIFY(calc.last_costs().empty()); // nothing was computed
}

void CalculationTest::overflow_keeps_last_costs()
{
    BrokerTable table;
    fee::Calculation calc(table);
    table.set_last_row(1);
    table.broker(0).name = cp932(QStringLiteral("さくら証券"));
    fee::test::set_standard_schedule(table, 0);
    // Every positive amount falls in bracket 5 of an all-zero schedule; ten
    // trades at 100 trillion yen each leave the money range.
    table.broker(1).name = cp932(QStringLiteral("巨額証券"));
    table.broker(1).brackets.at(5).add_on = yen(100'000'000'000'000);
    // The message names the broker and the cause: its add-on times the count of
    // the plan's first row.
    const QString expected_message = QStringLiteral(
        "2 社目「巨額証券」の年間費用が大きすぎて計算できません（922 兆円を超えます）。"
        "取引の予定の 1 "
        "行目の回数をかけると大きすぎます。回数か、この証券会社の手数料率・付加を見直して下さい。");

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
        {"time_switch", [](QWidget* d) { press(d, 'J'); }},
        {"Form_sl",
         [](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             // First a plan with no trades: every broker costs its fee.
             for (auto& box : f->l_sl_num)
                 retype(box, QStringLiteral("0"));
             press(d, 'D');
         }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             QCOMPARE(column(*r, 1).mid(0, 2), QStringList({"¥2,000", "¥0"}));
             d->close();
         }},
        {"Form_sl",
         [](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             retype(f->l_sl_num[0], QStringLiteral("10"));
             press(d, 'D');
         }},
        {"QMessageBox",
         [&](QWidget* d) {
             auto* box = as<QMessageBox>(d);
             QVERIFY(box);
             QCOMPARE(box->text(), expected_message);
             QVERIFY(box->text().contains(QStringLiteral("巨額証券")));
             QCOMPARE(live_windows("fee::ui::result"), 0);
             fee::test::click_button(d, QStringLiteral("OK"));
         }},
        {"Form_sl",
         [&](QWidget* d) {
             QCOMPARE(live_windows("fee::ui::result"), 0);
             // The last complete computation stands.
             QCOMPARE(calc.last_costs().at(0).units(), yen(2'000).units());
             QCOMPARE(calc.last_costs().at(1).units(), yen(0).units());
             d->close();
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
    QCOMPARE(calc.last_costs().at(0).units(), yen(2'000).units());
    QCOMPARE(calc.last_costs().at(1).units(), yen(0).units());
}

void CalculationTest::twenty_one_brokers_are_shown_and_ranked()
{
    // Broker b costs (21 - b) thousand yen, so the last one, row 20, is cheapest.
    std::vector<std::pair<QString, std::int64_t>> brokers;
    for (int b = 0; b <= 20; ++b)
        brokers.emplace_back(QStringLiteral("会社%1").arg(b, 2, 10, QLatin1Char('0')), (21 - b) * 1000);
    BrokerTable table = fee_only_brokers(brokers);
    fee::Calculation calc(table);
    QCOMPARE(int(table.last_row()), 20);

    ModalScript script({
        {"cost_switch", [](QWidget* d) { press(d, 'H'); }},
        {"time_switch", [](QWidget* d) { press(d, 'I'); }},
        {"Form_sl", [](QWidget* d) { press(d, 'D'); }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             QCOMPARE(r->rows(), 22);
             QCOMPARE(r->text_matrix(21, 0), QStringLiteral("会社20"));
             QCOMPARE(r->text_matrix(21, 1), QStringLiteral("¥1,000"));
             QCOMPARE(r->cell_alignment(21, 1), Qt::AlignRight | Qt::AlignVCenter);
             check_nothing_hidden(*r);
             QTest::mouseClick(&r->key_sort, Qt::LeftButton);
             for (int row = 1; row <= 21; ++row) {
                 QCOMPARE(r->text_matrix(row, 0),
                          QStringLiteral("会社%1").arg(21 - row, 2, 10, QLatin1Char('0')));
                 QCOMPARE(r->text_matrix(row, 1), (fee::currency_form(yen(row * 1000))));
             }
             QTest::mouseClick(&r->key_end3, Qt::LeftButton);
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
    QCOMPARE(calc.last_costs().at(20).units(), yen(1000).units());
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
    fee::test::ScriptedPrompter prompter;
    fee::fee_compare w(document, prompter);
    w.Form_Load();
    w.show();
    // Without a window manager nothing activates a window by itself.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(table.last_row() >= 2);

    // Look at another broker first, and edit its fee: the chain sees the edit
    // because 試算(&C) stores the editor first.
    auto* list = fee::test::child<QComboBox>(&w, QStringLiteral("Combo1"));
    auto* fee_box = fee::test::child<QLineEdit>(&w, QStringLiteral("l_fix"));
    auto* start = fee::test::child<QPushButton>(&w, QStringLiteral("key_cal"));
    QVERIFY(list && fee_box && start);
    list->setFocus();
    // The first arrow key offscreen is sometimes swallowed; press until the
    // third broker shows.
    for (int i = 0; i < 6 && w.now_com() != 2; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(int(w.now_com()), 2);
    retype(*fee_box, QStringLiteral("1234"));
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
    for (int j = 0; j <= expected_table.last_row(); ++j) {
        names_in_order << fee::decode_cp932(expected_table.broker(order[j]).name);
        costs_in_order << fee::currency_form(costs.value()[order[j]]);
        costs_in_table_order << fee::currency_form(costs.value()[j]);
    }
    const int brokers = expected_table.last_row() + 1;

    auto main_window_is_inert = [&](QWidget* top) {
        QVERIFY(w.isVisible());
        QVERIFY(QApplication::activeModalWidget() == top);
        // A click that reaches the main window through the platform is refused
        // while the chain is open; were it let through, a second question
        // would open.
        const int questions = live_windows("fee::ui::cost_switch");
        const QPoint at = start->mapTo(&w, start->rect().center());
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, at);
        fee::test::settle();
        QVERIFY(QApplication::activeModalWidget() == top);
        QCOMPARE(live_windows("fee::ui::cost_switch"), questions);
    };

    ModalScript script({
        {"cost_switch",
         [&](QWidget* d) {
             main_window_is_inert(d);
             press(d, 'H');
         }},
        {"time_switch", [](QWidget* d) { press(d, 'J'); }},
        {"Form_sl",
         [&](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             QCOMPARE(amounts(*f), preset_amounts(1, 0));
             QCOMPARE(counts(*f), preset_counts(1, 0));
             press(d, 'D');
         }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             main_window_is_inert(d);
             QCOMPARE(r->costs(), costs.value());
             QCOMPARE(column(*r, 1).mid(0, brokers), costs_in_table_order);
             press(d, 'S');
             QTRY_COMPARE_WITH_TIMEOUT(column(*r, 1).mid(0, brokers), costs_in_order, 2000);
             QCOMPARE(column(*r, 0).mid(0, brokers), names_in_order);
             check_nothing_hidden(*r);
             maybe_screenshot(d, "result.png");
             press(d, 'X');
         }},
    });
    QVERIFY(fee::test::press_alt(&w, 'C'));
    QVERIFY2(script.finish(), qPrintable(script.failure()));

    QCOMPARE(table.broker(2).yearly_fee.units(), yen(1234).units());
    QCOMPARE(live_windows("fee::ui::result") + live_windows("fee::ui::Form_sl"), 0);

    // Back in the main window: the same broker, the edit kept, and it takes
    // input again.
    QCOMPARE(int(w.now_com()), 2);
    QCOMPARE(list->currentText(), name_shown);
    QCOMPARE(fee_box->text(), QStringLiteral("1234"));
    {
        ModalScript again({{"cost_switch", [](QWidget* d) { d->close(); }}});
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
    BrokerTable& table = document.table();
    fee::test::ScriptedPrompter prompter;
    fee::fee_compare w(document, prompter);
    w.Form_Load();
    w.show();
    // Without a window manager nothing activates a window by itself.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    {
        ModalScript script({
            {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
            {"time_switch", [](QWidget* d) { d->close(); }},
        });
        QTest::mouseClick(fee::test::child<QPushButton>(&w, QStringLiteral("key_cal")), Qt::LeftButton);
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
    QCOMPARE(live_windows("fee::ui::Form_sl"), 0);

    // The next 試算(&C) starts again with the amount question.
    {
        ModalScript script({
            {"cost_switch", [](QWidget* d) { press(d, 'L'); }},
            {"time_switch", [](QWidget* d) { press(d, 'I'); }},
            {"Form_sl",
             [](QWidget* d) {
                 auto* f = as<fee::ui::Form_sl>(d);
                 QVERIFY(f);
                 QCOMPARE(counts(*f), preset_counts(0, 1));
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
    fee::Calculation calc(table);
    // Esc in any window of the chain leaves it open; Enter in a text box
    // presses nothing; Enter on a focused button presses it.
    auto esc_keeps = [](QWidget* d) {
        QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
        fee::test::settle();
        QCOMPARE(QApplication::activeModalWidget(), d);
        QVERIFY(d->isVisible());
    };
    ModalScript script({
        {"cost_switch",
         [&](QWidget* d) {
             esc_keeps(d);
             QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
             QTest::keyClick(d->focusWidget(), Qt::Key_Return); // 高額, which has the focus
         }},
        {"time_switch",
         [&](QWidget* d) {
             esc_keeps(d);
             QTest::keyClick(d->focusWidget(), Qt::Key_Enter); // たまに, the first button
         }},
        {"Form_sl",
         [&](QWidget* d) {
             auto* f = as<fee::ui::Form_sl>(d);
             QVERIFY(f);
             esc_keeps(d);
             QTest::keyClick(&f->l_sm_money[0], Qt::Key_Return);
             fee::test::settle();
             QCOMPARE(QApplication::activeModalWidget(), d);
             QCOMPARE(live_windows("fee::ui::result"), 0);
             f->key_cal2.setFocus();
             QTest::keyClick(&f->key_cal2, Qt::Key_Return);
         }},
        {"result",
         [&](QWidget* d) {
             auto* r = as<fee::ui::result>(d);
             QVERIFY(r);
             esc_keeps(d);
             r->key_end3.setFocus();
             QTest::keyClick(&r->key_end3, Qt::Key_Return);
         }},
    });
    calc.run();
    QVERIFY2(script.finish(), qPrintable(script.failure()));
    QCOMPARE(answer_of(calc.high_amounts()), 1);
    QCOMPARE(answer_of(calc.frequent()), 0);
    QCOMPARE(calc.last_costs().size(), 1u);
    QCOMPARE(live_windows("fee::ui::Form_sl") + live_windows("fee::ui::result"), 0);
}

void CalculationTest::a_long_cost_shows_every_digit()
{
    // Eleven digits still fit the cost column at the smallest size; twelve do
    // not, and are drawn whole at that size rather than cut to an ellipsis.
    BrokerTable table = fee_only_brokers({{QStringLiteral("さくら証券"), 28'475'200'000},
                                          {QStringLiteral("Ｂ証券"), 2000},
                                          {QStringLiteral("Ｃ証券"), 284'752'000'000}});
    const fee::TradePlan plan{};
    fee::ui::result r(table, plan, {yen(28'475'200'000), yen(2000), yen(284'752'000'000)});
    r.show();
    QCOMPARE(r.text_matrix(1, 1), QStringLiteral("¥28,475,200,000"));
    QVERIFY(cell_font(r, 1, 1).pointSizeF() < r.comp_fig.font().pointSizeF());
    QCOMPARE(cell_font(r, 2, 1), r.comp_fig.font()); // a short figure keeps the grid's font
    QCOMPARE(r.text_matrix(3, 1), QStringLiteral("¥284,752,000,000"));
    QCOMPARE(cell_font(r, 3, 1).pointSizeF(), fee::ui::kMinimumTextPoints);
    QCOMPARE(r.comp_fig.textElideMode(), Qt::ElideNone);
    QVERIFY(cell_fits(r, 1, 1));
    // Sorted, the long figure moves and keeps its smaller font; the short one its own.
    QTest::mouseClick(&r.key_sort, Qt::LeftButton);
    QCOMPARE(r.text_matrix(2, 1), QStringLiteral("¥28,475,200,000"));
    QCOMPARE(cell_font(r, 1, 1), r.comp_fig.font());
    QVERIFY(cell_font(r, 2, 1).pointSizeF() < r.comp_fig.font().pointSizeF());
}

QTEST_MAIN(CalculationTest)
#include "calculation_test.moc"
