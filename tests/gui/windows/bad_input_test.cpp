// Bad input typed into the real windows: every box of the schedule editor and
// of the trade plan, each with the same list of awkward texts. Each text is
// either taken by the number rules (and then reaches compare.dat in its general
// form) or refused with a message that names the box; the file is never
// damaged. The core's own conversions say which of the two to expect.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>
#include <optional>

#include "core/datafile/data_file.h"
#include "core/editing/editor_transfer.h"
#include "core/fees/broker_table.h"
#include "core/fees/commission.h"
#include "core/fees/trade_plan.h"
#include "core/text/codepage.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/main_window.h"
#include "gui/windows/result_window.h"
#include "gui/windows/trade_plan_window.h"
#include "gui_support.h"

using fee::test::expect_message;
using fee::test::ModalScript;
using fee::test::ModalStep;
using fee::ui::MainWindow;

namespace {

// Two brokers in the general form.
QByteArray sample_file()
{
    const char* const lines[] = {
        "1",        "A",       "2000",    "0",        "0",       "B",      "0",        "100000", "500",
        "1000000",  "0.0115",  "0",       "5000000",  "0.009",   "2500",   "10000000", "0.007",  "12500",
        "30000000", "0.00575", "25000",   "50000000", "0.00375", "85000",  "0",        "272500", "100000",
        "0.001",    "100",     "300000",  "0.0025",   "0",       "500000", "0.002",    "250",    "1000000",
        "0.0015",   "750",     "3000000", "0.001",    "1250",    "0.0008", "1850"};
    QByteArray out;
    for (const char* l : lines)
        out += QByteArray(l) + "\r\n";
    return out;
}

enum class Kind { Currency, Single, Count };

// The awkward texts, and a value just inside and just outside the type's range.
QStringList awkward_texts(Kind kind)
{
    QStringList texts = {QString(),
                         QStringLiteral("   "),
                         QStringLiteral("abc"),
                         QStringLiteral("¥"),
                         QStringLiteral("--1"),
                         QStringLiteral("1..2"),
                         QStringLiteral("1,2,3"),
                         QStringLiteral("１０００"),
                         QStringLiteral("1e400"),
                         QStringLiteral("-0"),
                         QString(10'000, QLatin1Char('1'))};
    switch (kind) {
    case Kind::Currency:
        texts << QStringLiteral("922337203685477.5807") << QStringLiteral("-922337203685477.5808")
              << QStringLiteral("922337203685477.5808") << QStringLiteral("-922337203685477.5809");
        break;
    case Kind::Single:
        texts << QStringLiteral("3.402823E+38") << QStringLiteral("-1E-45") << QStringLiteral("3.5E+38")
              << QStringLiteral("-1E+39");
        break;
    case Kind::Count:
        texts << QStringLiteral("2147483647") << QStringLiteral("-2147483648") << QStringLiteral("2147483648")
              << QStringLiteral("-2147483649");
        break;
    }
    return texts;
}

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

class BadInputTest : public QObject {
    Q_OBJECT

private:
    fee::test::ProgramFixture program_;
    fee::BrokerTable* table_ = nullptr;
    fee::ui::MainWindow* w_ = nullptr;
    int tried_ = 0;

    bool start()
    {
        const bool started = program_.start();
        table_ = &program_.table();
        w_ = program_.has_window() ? &program_.window() : nullptr;
        return started;
    }

    // The editor's box for one element, with the text field it stands for.
    struct EditorBox {
        QString name;
        Kind kind;
        std::function<QLineEdit*(fee::ui::MainWindow&)> box;
        std::function<QString&(fee::EditorTexts&)> text;
    };

    static std::vector<EditorBox> editor_boxes()
    {
        std::vector<EditorBox> boxes;
        for (int j = 0; j < 5; ++j)
            boxes.push_back({QStringLiteral("bound_box(%1)").arg(j), Kind::Currency,
                             [j](fee::ui::MainWindow& w) { return fee::test::edit(&w, "bound_box", j); },
                             [j](fee::EditorTexts& e) -> QString& { return e.bounds[j]; }});
        for (int j = 0; j < 6; ++j) {
            boxes.push_back({QStringLiteral("rate_box(%1)").arg(j), Kind::Single,
                             [j](fee::ui::MainWindow& w) { return fee::test::edit(&w, "rate_box", j); },
                             [j](fee::EditorTexts& e) -> QString& { return e.rates[j]; }});
            boxes.push_back({QStringLiteral("add_on_box(%1)").arg(j), Kind::Currency,
                             [j](fee::ui::MainWindow& w) { return fee::test::edit(&w, "add_on_box", j); },
                             [j](fee::EditorTexts& e) -> QString& { return e.add_ons[j]; }});
        }
        boxes.push_back({QStringLiteral("yearly_fee_box"), Kind::Currency,
                         [](fee::ui::MainWindow& w) { return fee::test::edit(&w, "yearly_fee_box"); },
                         [](fee::EditorTexts& e) -> QString& { return e.yearly_fee; }});
        boxes.push_back({QStringLiteral("maximum_box"), Kind::Currency,
                         [](fee::ui::MainWindow& w) { return fee::test::edit(&w, "maximum_box"); },
                         [](fee::EditorTexts& e) -> QString& { return e.maximum; }});
        boxes.push_back({QStringLiteral("minimum_box"), Kind::Currency,
                         [](fee::ui::MainWindow& w) { return fee::test::edit(&w, "minimum_box"); },
                         [](fee::EditorTexts& e) -> QString& { return e.minimum; }});
        return boxes;
    }

private slots:
    void initTestCase()
    {
        fee::test::install_message_filter();
        fee::ui::apply_ui_font(*qApp);
    }

    void init() { QVERIFY(program_.set_up()); }

    void cleanup()
    {
        program_.tear_down();
        w_ = nullptr;
        table_ = nullptr;
    }

    void cleanupTestCase() { qInfo("bad inputs tried through the windows: %d", tried_); }

    void editor_box_data()
    {
        QTest::addColumn<int>("index");
        const auto boxes = editor_boxes();
        for (int i = 0; i < static_cast<int>(boxes.size()); ++i)
            QTest::newRow(qPrintable(boxes[i].name)) << i;
    }

    // Each text in one box of row 1 (broker B), then the window is closed: the
    // file gets exactly what the conversions make of it, or the close is
    // refused naming the box and the file stays as it was.
    void editor_box()
    {
        QFETCH(int, index);
        const EditorBox under_test = editor_boxes()[index];
        const QByteArray original = sample_file();
        int accepted = 0;
        for (const QString& text : awkward_texts(under_test.kind)) {
            const QString shown = text.size() > 20 ? text.left(20) + QStringLiteral("…") : text;
            fee::test::write_data_file_bytes(original);
            QVERIFY(start());
            // Broker B, so that a refusal must not leak into row 0 either.
            fee::test::combo(w_)->setCurrentIndex(1);
            emit fee::test::combo(w_)->activated(1);
            QCOMPARE(w_->shown_broker(), 1);
            QLineEdit* box = under_test.box(*w_);
            fee::test::retype(box, text);
            ++tried_;

            fee::BrokerTable expected = *table_;
            fee::EditorTexts texts = fee::editor_texts_from(expected.broker(1));
            under_test.text(texts) = text;
            const auto stored = fee::store_editor_texts(expected.broker(1), texts);
            if (stored) {
                ++accepted;
                program_.prompter().script({});
                QVERIFY2(w_->windowHandle()->close(), qPrintable(shown));
                QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
                QCOMPARE(fee::test::read_data_file_bytes().value_or("<missing>"),
                         QByteArray::fromStdString(fee::serialize_data_file(expected).value()));
            } else {
                program_.prompter().script({expect_message({qt(stored.error().box_name())})});
                QVERIFY2(!w_->windowHandle()->close(), qPrintable(shown));
                QVERIFY2(program_.prompter().finish(),
                         qPrintable(program_.prompter().failure() + QStringLiteral(" / ") + shown));
                QVERIFY(w_->isVisible());
                QCOMPARE(box->text(), text);
                QCOMPARE(fee::test::read_data_file_bytes().value_or("<missing>"), original);
            }
        }
        // "１０００", "-0" and the two values inside the range; an empty maximum
        // or minimum means none.
        QCOMPARE(accepted, under_test.name == QStringLiteral("maximum_box") ||
                                   under_test.name == QStringLiteral("minimum_box")
                               ? 5
                               : 4);
    }

    void plan_box_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("is_count");
        for (int r = 0; r < fee::kPlanRows; ++r) {
            QTest::newRow(qPrintable(QStringLiteral("amount_box(%1)").arg(r))) << r << false;
            QTest::newRow(qPrintable(QStringLiteral("count_box(%1)").arg(r))) << r << true;
        }
    }

    // Each text in one box of the trade plan, the rest a valid plan, then
    // 試算(&D): the plan the boxes parse to is handed on, or the box is named
    // in a refusal, keeps its text and gets the focus.
    void plan_box()
    {
        QFETCH(int, row);
        QFETCH(bool, is_count);
        int numbers = 0;
        for (const QString& text : awkward_texts(is_count ? Kind::Count : Kind::Currency)) {
            const QString shown = text.size() > 20 ? text.left(20) + QStringLiteral("…") : text;
            fee::ui::TradePlanWindow plan(program_.prompter());
            plan.show();
            plan.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&plan));
            fee::PlanTexts texts;
            for (int r = 0; r < fee::kPlanRows; ++r) {
                texts.amount[r] = QString::number((r + 1) * 300'000);
                texts.count[r] = QString::number(r + 1);
                fee::test::edit(&plan, "amount_box", r)->setText(texts.amount[r]);
                fee::test::edit(&plan, "count_box", r)->setText(texts.count[r]);
            }
            QLineEdit* box = fee::test::edit(&plan, is_count ? "count_box" : "amount_box", row);
            fee::test::retype(box, text);
            (is_count ? texts.count[row] : texts.amount[row]) = text;
            ++tried_;

            const auto parsed = fee::parse_plan(texts);
            numbers += parsed.ok();
            std::optional<fee::TradePlan> entered;
            QObject::connect(&plan, &fee::ui::TradePlanWindow::plan_entered, &plan,
                             [&](const fee::TradePlan& p) { entered = p; });
            program_.prompter().script(parsed ? std::vector<fee::test::PromptStep>{}
                                              : std::vector{expect_message({qt(parsed.error().box_name())})});
            QTest::mouseClick(fee::test::button(&plan, "submit_button"), Qt::LeftButton);
            QVERIFY2(program_.prompter().finish(),
                     qPrintable(program_.prompter().failure() + QStringLiteral(" / ") + shown));
            QCOMPARE(entered.has_value(), parsed.ok());
            if (parsed) {
                QVERIFY(*entered == parsed.value());
            } else {
                QCOMPARE(box->text(), text);
                QCOMPARE(plan.focusWidget(), box);
            }
        }
        QCOMPARE(numbers, 4);
    }

    // Names the code page cannot hold are refused naming the character; a
    // 2,000-character name is stored and written as one line.
    void broker_names()
    {
        const QByteArray original = sample_file();
        fee::test::write_data_file_bytes(original);
        QVERIFY(start());
        auto answer = [](const QString& name) { return fee::test::answer_text(name); };
        const QString long_name = QString(2'000, QChar(u'あ'));
        program_.prompter().script({
            answer(QStringLiteral("🏦証券")),
            expect_message({QStringLiteral("🏦")}),
            answer(QStringLiteral("Société")),
            expect_message({QStringLiteral("é")}),
            answer(QStringLiteral("一行目\n二行目")),
            expect_message({}),
            answer(long_name),
        });
        QTest::mouseClick(fee::test::button(w_, "add_button"), Qt::LeftButton);
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        tried_ += 4;
        QCOMPARE(table_->last_broker(), 2);
        QCOMPARE(fee::decode_cp932(table_->broker(2).name), long_name);
        program_.prompter().script({});
        QVERIFY(w_->windowHandle()->close());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));

        const QByteArray saved = fee::test::read_data_file_bytes().value_or("<missing>");
        QCOMPARE(saved.count("\r\n"), fee::data_file_lines(3));
        fee::BrokerTable back;
        QVERIFY(fee::read_data_file(QString::fromLatin1(fee::kDataFileName), back).ok());
        QCOMPARE(back.broker(2).name.size(), std::size_t{4'000});
        QCOMPARE(back.broker(0).name, std::string("A"));
    }
};

QTEST_MAIN(BadInputTest)
#include "bad_input_test.moc"
