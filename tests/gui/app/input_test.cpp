// What a hurried user does: double clicks that outlive their window, Alt with a
// letter no button has, and a program ended by a signal or a logout.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QTest>
#include <csignal>

#include "core/datafile/data_file.h"
#include "core/fees/broker_table.h"
#include "gui/app/calculation.h"
#include "gui/app/input_guard.h"
#include "gui/app/prompter.h"
#include "gui/app/termination.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/main_window.h"
#include "gui/windows/result_window.h"
#include "gui/windows/style_questions.h"
#include "gui/windows/trade_plan_window.h"
#include "gui_support.h"

using fee::test::ModalScript;

namespace {

// A click through the platform, as a user's click arrives, at the same place
// in whatever window is there.
void click_at(QWidget* window, QWidget* target)
{
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      target->mapTo(window, target->rect().center()));
}

void wait_a_double_click_interval()
{
    QTest::qWait(QApplication::doubleClickInterval() + 50);
}

} // namespace

class InputTest : public QObject {
    Q_OBJECT

private:
    fee::test::ProgramFixture program_;

    bool start_on_sample()
    {
        if (!QFile::copy(QStringLiteral(FEE_SAMPLE_DATA), QStringLiteral("compare.dat")))
            return false;
        QFile::setPermissions(QStringLiteral("compare.dat"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return program_.start();
    }

private slots:
    void initTestCase()
    {
        fee::test::install_message_filter();
        fee::ui::apply_ui_font(*qApp);
        fee::ui::InputGuard::install();
    }
    void init() { QVERIFY(program_.set_up()); }
    void cleanup() { program_.tear_down(); }

    void a_double_click_answers_one_question_only()
    {
        fee::BrokerTable table;
        fee::Calculation calc(table, program_.prompter());
        QWidget* first = nullptr;
        QRect pressed; // the first window is gone by the second click
        ModalScript chain({
            {"amount_question",
             [&](QWidget* d) {
                 wait_a_double_click_interval(); // the user reads the question
                 first = d;
                 QPushButton* high = fee::test::button(d, "high_button");
                 pressed = high->geometry();
                 click_at(d, high);
             }},
            {"frequency_question",
             [&](QWidget* d) {
                 // The second click of the double click lands on the button now
                 // under the pointer: 頻繁, in the same place.
                 QPushButton* many = fee::test::button(d, "frequent_button");
                 QCOMPARE(many->geometry(), pressed);
                 click_at(d, many);
                 fee::test::settle();
                 QCOMPARE(QApplication::activeModalWidget(), d);
                 d->close();
             }},
        });
        calc.run();
        QVERIFY2(chain.finish(), qPrintable(chain.failure()));
        QVERIFY(first);
    }

    void a_window_shown_again_takes_clicks_only_after_the_interval()
    {
        QVERIFY(start_on_sample());
        fee::ui::MainWindow& w = program_.window();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // Just shown again: ignored.
        w.hide();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        program_.prompter().script({});
        click_at(&w, fee::test::button(&w, "quit_button"));
        fee::test::settle();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(w.isVisible());
        // A deliberate click a moment later closes it.
        wait_a_double_click_interval();
        click_at(&w, fee::test::button(&w, "quit_button"));
        QTRY_VERIFY(!w.isVisible());
    }

    // Brought forward past another window (the help, say), the main window
    // takes the click that brought it: 試算 opens its question at once.
    void a_window_brought_back_to_the_front_takes_its_first_click()
    {
        QVERIFY(start_on_sample());
        fee::ui::MainWindow& w = program_.window();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        wait_a_double_click_interval();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        ModalScript question({{"amount_question", [](QWidget* d) { d->close(); }}});
        click_at(&w, fee::test::button(&w, "calculate_button"));
        QVERIFY2(question.finish(), qPrintable(question.failure()));

        // But the second click of a double click on a window's close button
        // does not press 終了 beneath it.
        QPushButton above(QStringLiteral("閉じる"));
        QObject::connect(&above, &QPushButton::clicked, &above, &QWidget::close);
        above.show();
        above.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&above));
        wait_a_double_click_interval();
        click_at(&above, &above);
        QVERIFY(!above.isVisible());
        click_at(&w, fee::test::button(&w, "quit_button"));
        fee::test::settle();
        QVERIFY(w.isVisible());
    }

    void alt_with_a_letter_no_button_has_types_nothing()
    {
        QVERIFY(start_on_sample());
        fee::ui::MainWindow& w = program_.window();
        const QString fee_text = fee::test::edit(&w, "yearly_fee_box")->text();
        fee::test::edit(&w, "yearly_fee_box")->setFocus();
        QVERIFY(fee::test::press_alt(&w, 'x'));
        QVERIFY(fee::test::press_alt(&w, 'q'));
        QCOMPARE(fee::test::edit(&w, "yearly_fee_box")->text(), fee_text);
        QCOMPARE(w.focusWidget(), fee::test::edit(&w, "yearly_fee_box"));

        // Alt+A twice: the name box opens, and the second Alt+A types nothing into it.
        ModalScript name_box({{QStringLiteral("QInputDialog"), [](QWidget* d) {
                                   auto* edit = d->findChild<QLineEdit*>();
                                   QVERIFY(edit);
                                   QVERIFY(fee::test::press_alt(d, 'a'));
                                   QCOMPARE(edit->text(), QString());
                                   static_cast<QDialog*>(d)->reject();
                               }}});
        fee::ui::DialogPrompter().ask_text(QStringLiteral("name"), QString(), QString(), 10);
        QVERIFY2(name_box.finish(), qPrintable(name_box.failure()));

        fee::ui::TradePlanWindow plan(program_.prompter());
        plan.show();
        plan.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&plan));
        QLineEdit* amount_box = fee::test::edit(&plan, "amount_box", 0);
        amount_box->setFocus();
        const QString amount = amount_box->text();
        QVERIFY(fee::test::press_alt(&plan, 'j'));
        QVERIFY(fee::test::press_alt(&plan, 'x'));
        QCOMPARE(amount_box->text(), amount);
    }

    void a_rate_box_shows_the_start_of_its_text()
    {
        QVERIFY(start_on_sample());
        fee::ui::MainWindow& w = program_.window();
        program_.table().broker(1).brackets.at(0).rate = 0.0009923f;
        program_.table().broker(1).brackets.at(1).rate = 1.234568e8f;
        fee::test::combo(&w)->setCurrentIndex(1);
        emit fee::test::combo(&w)->activated(1);
        QCOMPARE(fee::test::edit(&w, "rate_box", 0)->text(), QStringLiteral("0.0009923"));
        QCOMPARE(fee::test::edit(&w, "rate_box", 0)->cursorPosition(), 0);
        QCOMPARE(fee::test::edit(&w, "rate_box", 1)->text(), QStringLiteral("1.234568E+08"));
        QCOMPARE(fee::test::edit(&w, "rate_box", 1)->cursorPosition(), 0);
    }

    void a_signal_closes_as_the_close_box_does()
    {
        QVERIFY(start_on_sample());
        fee::ui::MainWindow& w = program_.window();
        fee::ui::TerminationWatcher termination;
        int received = 0;
        connect(&termination, &fee::ui::TerminationWatcher::requested, this,
                [&](int number) { received = number; });
        fee::test::retype(fee::test::edit(&w, "yearly_fee_box"), QStringLiteral("1234"));
        ::raise(SIGTERM);
        QTRY_COMPARE(received, SIGTERM);
        QVERIFY(w.close_unattended().ok());
        QVERIFY(!w.isVisible());
        fee::BrokerTable saved;
        QVERIFY(fee::read_data_file(QStringLiteral("compare.dat"), saved).ok());
        QCOMPARE(saved.broker(0).yearly_fee, *fee::Money::from_yen(1234));
    }

    void a_signal_with_a_bad_box_saves_the_rest_and_says_so()
    {
        QVERIFY(start_on_sample());
        fee::ui::MainWindow& w = program_.window();
        fee::test::retype(fee::test::edit(&w, "yearly_fee_box"), QStringLiteral("1234"));
        fee::test::combo(&w)->setCurrentIndex(1);
        emit fee::test::combo(&w)->activated(1); // stores broker 0
        fee::test::retype(fee::test::edit(&w, "yearly_fee_box"), QStringLiteral("999"));
        fee::test::retype(fee::test::edit(&w, "rate_box", 2), QStringLiteral("abc"));
        program_.prompter().script({});
        const auto closed = w.close_unattended();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(!closed.ok());
        QVERIFY2(
            QString::fromStdString(closed.error().message).contains(QStringLiteral("手数料率（3 行目）")),
            closed.error().message.c_str());
        fee::BrokerTable saved;
        QVERIFY(fee::read_data_file(QStringLiteral("compare.dat"), saved).ok());
        QCOMPARE(saved.broker(0).yearly_fee, *fee::Money::from_yen(1234));
        QVERIFY(saved.broker(1).yearly_fee != *fee::Money::from_yen(999));
    }
};

QTEST_MAIN(InputTest)
#include "input_test.moc"
