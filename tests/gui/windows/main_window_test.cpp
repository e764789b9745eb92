// The main window driven as a user drives it: clicks, typed text, Alt keys and
// the dialogs it opens. Every test runs in its own current directory, where the
// window finds compare.dat; file checks compare exact bytes.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <optional>

#include "core/datafile/data_file.h"
#include "core/document/data_document.h"
#include "core/fees/broker_table.h"
#include "core/text/codepage.h"
#include "core/version.h"
#include "gui/app/application.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/main_window.h"
#include "gui_support.h"

using fee::test::answer_message;
using fee::test::expect_message;
using fee::test::ModalScript;
using fee::test::ModalStep;
using fee::ui::MainWindow;

namespace {

// One broker as the lines of compare.dat hold it: name, fee, max, min, then 17
// bracket lines.
struct BrokerLines {
    QString name;
    std::vector<std::string> head;     // fix, max, mini
    std::vector<std::string> brackets; // 17 lines
};

const std::vector<std::string> kStandardBrackets = {
    "1000000",  "0.0115",  "0",     "5000000",  "0.009",   "2500",  "10000000", "0.007", "12500",
    "30000000", "0.00575", "25000", "50000000", "0.00375", "85000", "0",        "272500"};

std::vector<BrokerLines> three_brokers()
{
    return {
        {QStringLiteral("あおば証券"), {"2000", "0", "0"}, kStandardBrackets},
        {QStringLiteral("かえで証券"),
         {"0", "100000", "500"},
         {"100000", "0.001", "100", "300000", "0.0025", "0", "500000", "0.002", "250", "1000000", "0.0015",
          "750", "3000000", "0.001", "1250", "0.0008", "1850"}},
        {QStringLiteral("さくら証券"),
         {"1500", "0", "1000"},
         {"200000", "0.0049", "0", "500000", "0.0038", "220", "1000000", "0.003", "620", "2000000", "0.0025",
          "1120", "5000000", "0.002", "2120", "0.0015", "4620"}},
    };
}

std::string cp932(const QString& name)
{
    auto bytes = fee::encode_typed_name(name);
    return bytes ? bytes.value() : std::string("?");
}

QByteArray file_bytes(const std::vector<BrokerLines>& brokers)
{
    std::string out = std::to_string(brokers.size() - 1) + "\r\n";
    for (const auto& b : brokers) {
        out += cp932(b.name) + "\r\n";
        for (const auto& l : b.head)
            out += l + "\r\n";
    }
    for (const auto& b : brokers)
        for (const auto& l : b.brackets)
            out += l + "\r\n";
    return QByteArray::fromStdString(out);
}

std::vector<BrokerLines> many_brokers(int count)
{
    std::vector<BrokerLines> v;
    for (int i = 0; i < count; ++i)
        v.push_back({QStringLiteral("証券%1").arg(i), {"2000", "0", "0"}, kStandardBrackets});
    return v;
}

QStringList combo_items(const QComboBox* c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

QPushButton* dialog_button(QWidget* dialog, QDialogButtonBox::StandardButton which)
{
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    return buttons ? buttons->button(which) : nullptr;
}

// Answers the name box, which must offer `shown` (a refused name comes back for
// correction): replaces it by `name` (empty: types nothing) and presses OK, or
// Cancel when `cancel`.
// The name box, which must offer `shown` (a refused name comes back for
// correction): `name` typed and confirmed, or cancelled when `cancel`.
fee::test::PromptStep answer_name(const QString& name, bool cancel = false, const QString& shown = QString())
{
    return fee::test::answer_text(cancel ? std::nullopt : std::optional<QString>(name),
                                  shown.isEmpty() ? QStringList() : QStringList{shown});
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    fee::test::ProgramFixture program_;
    fee::BrokerTable* table_ = nullptr;
    fee::ui::MainWindow* w_ = nullptr;

    bool start()
    {
        const bool started = program_.start();
        table_ = &program_.table();
        w_ = program_.has_window() ? &program_.window() : nullptr;
        return started;
    }

    void retype(QLineEdit* box, const QString& text) { fee::test::retype(box, text); }

    void choose(int index) { fee::test::choose_entry(fee::test::combo(w_), index); }

    // Clicks a button of the main window, which may open modal dialogs.
    void click(QPushButton* b)
    {
        w_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w_));
        QTest::mouseClick(b, Qt::LeftButton);
    }

    bool close_box() { return w_->windowHandle()->close(); }

private slots:
    void initTestCase()
    {
        fee::test::install_message_filter();
        const QString family = fee::ui::apply_ui_font(*qApp);
        if (fee::test::ipa_fonts_installed())
            QCOMPARE(family, QStringLiteral("IPAPGothic"));
    }

    void init() { QVERIFY(program_.set_up()); }

    void cleanup()
    {
        program_.tear_down();
        w_ = nullptr;
        table_ = nullptr;
    }

    void start_with_valid_file()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        program_.prompter().script({});
        QVERIFY(start());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));

        QCOMPARE(combo_items(fee::test::combo(w_)),
                 (QStringList{QStringLiteral("あおば証券"), QStringLiteral("かえで証券"),
                              QStringLiteral("さくら証券")}));
        QCOMPARE(fee::test::combo(w_)->currentIndex(), -1);
        QCOMPARE(fee::test::combo(w_)->currentText(), QString());
        QCOMPARE(w_->shown_broker(), 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fee::test::combo(w_)));
        QCOMPARE(fee::test::edit(w_, "bound_box", 0)->text(), QStringLiteral("¥1,000,000"));
        QCOMPARE(fee::test::edit(w_, "bound_box", 4)->text(), QStringLiteral("¥50,000,000"));
        QCOMPARE(fee::test::edit(w_, "bound_box", 5)->text(), QStringLiteral("それ以上"));
        QCOMPARE(fee::test::edit(w_, "rate_box", 0)->text(), QStringLiteral("0.0115"));
        QCOMPARE(fee::test::edit(w_, "rate_box", 3)->text(), QStringLiteral("0.00575"));
        QCOMPARE(fee::test::edit(w_, "rate_box", 5)->text(), QStringLiteral("0"));
        QCOMPARE(fee::test::edit(w_, "add_on_box", 0)->text(), QStringLiteral("¥0"));
        QCOMPARE(fee::test::edit(w_, "add_on_box", 5)->text(), QStringLiteral("¥272,500"));
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("2000"));
        QCOMPARE(fee::test::edit(w_, "maximum_box")->text(), QStringLiteral("0"));
        QCOMPARE(fee::test::edit(w_, "minimum_box")->text(), QStringLiteral("0"));
        QCOMPARE(fee::test::read_data_file_bytes(), bytes); // reading never writes
    }

    // What a user would notice of the fixed layout, and the window's own rules.
    void layout_holds_together()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        fee::ui::MainWindow& w = *w_;
        QVERIFY2(fee::test::layout_problems(w).isEmpty(),
                 qPrintable(fee::test::layout_problems(w).join(u'\n')));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(fee::test::menu(&w, "help_menu")->actions(),
                 (QList<QAction*>{fee::test::action(&w, "help_contents"),
                                  fee::test::action(&w, "version_action")}));

        QLineEdit* locked = fee::test::edit(&w, "bound_box", 5);
        QVERIFY(locked->isReadOnly());
        QCOMPARE(locked->palette().color(QPalette::Base), w.palette().color(QPalette::Button));
        const auto edits = w.findChildren<QLineEdit*>();
        QCOMPARE(edits.size(), 21);
        for (QLineEdit* e : edits)
            QVERIFY2(!e->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(e->objectName()));
        for (QPushButton* b : w.findChildren<QPushButton*>())
            QVERIFY(!b->autoDefault() && !b->isDefault());

        // One Japanese Gothic: proportional for captions, its fixed-pitch cut in
        // the number boxes.
        FEE_SKIP_WITHOUT_IPA_FONTS();
        for (QWidget* x : w.findChildren<QWidget*>()) {
            const QString family = QFontInfo(x->font()).family();
            if (qobject_cast<QLineEdit*>(x))
                QVERIFY2(family == QStringLiteral("IPAGothic"), qPrintable(x->objectName() + " " + family));
            else
                QVERIFY2(family == QStringLiteral("IPAPGothic"), qPrintable(x->objectName() + " " + family));
        }
    }

    // Nothing clips with the standard schedule, the widest texts the editor
    // proposes, and with the captions.
    void texts_fit_their_boxes()
    {
        FEE_SKIP_WITHOUT_IPA_FONTS();
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        fee::ui::MainWindow& w = *w_;
        for (QLineEdit* e : w.findChildren<QLineEdit*>()) {
            QStyleOptionFrame opt;
            opt.initFrom(e);
            opt.rect = e->rect();
            opt.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e);
            const QRect inner = e->style()
                                    ->subElementRect(QStyle::SE_LineEditContents, &opt, e)
                                    .marginsRemoved(e->textMargins());
            const int room = inner.width() - 4; // QLineEdit keeps 2 pixels each side
            const int need = e->fontMetrics().horizontalAdvance(e->text());
            QVERIFY2(need <= room, qPrintable(QStringLiteral("%1 \"%2\": %3 > %4")
                                                  .arg(e->objectName(), e->text())
                                                  .arg(need)
                                                  .arg(room)));
            QVERIFY2(e->fontMetrics().height() <= inner.height(), qPrintable(e->objectName()));
        }
        for (QLabel* l : w.findChildren<QLabel*>()) {
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(),
                     qPrintable(l->objectName()));
            QVERIFY2(l->fontMetrics().height() <= l->height(), qPrintable(l->objectName()));
        }
        const QFontMetrics frame(fee::test::child<QGroupBox>(&w, "schedule_editor")->font());
        QVERIFY(frame.horizontalAdvance(fee::test::child<QGroupBox>(&w, "schedule_editor")->title()) <
                fee::test::child<QGroupBox>(&w, "schedule_editor")->width());
    }

    void help_file_is_a_japanese_html_document()
    {
        QFile f(QStringLiteral(FEE_HELP_FILE));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
        QVERIFY(html.contains(QStringLiteral("charset=\"utf-8\"")));
        for (const QString& part : {QStringLiteral("compare.dat"), QStringLiteral("年間費用"),
                                    QStringLiteral("証券会社の一覧"), QStringLiteral("並べ替え")})
            QVERIFY2(html.contains(part), qPrintable(part));
    }

    void tab_order_follows_the_design()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        fee::ui::MainWindow& w = *w_;
        std::vector<QWidget*> order = {fee::test::combo(&w), fee::test::edit(&w, "yearly_fee_box")};
        for (const char* column : {"bound_box", "rate_box", "add_on_box"})
            for (int i = 0; i < 6; ++i)
                order.push_back(fee::test::edit(&w, column, i));
        order.insert(order.end(),
                     {fee::test::button(&w, "calculate_button"), fee::test::button(&w, "quit_button"),
                      fee::test::button(&w, "add_button"), fee::test::edit(&w, "minimum_box"),
                      fee::test::edit(&w, "maximum_box"), fee::test::combo(&w)});
        QCOMPARE(QApplication::focusWidget(), order.front());
        for (std::size_t i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(
                QApplication::focusWidget() == order[i],
                qPrintable(
                    QStringLiteral("step %1: %2").arg(i).arg(QApplication::focusWidget()->objectName())));
        }
    }

    void editor_shows_currency_and_general_forms()
    {
        auto brokers = three_brokers();
        brokers[1].brackets[0] = "1000000.6"; // a fraction of a yen shows as it is
        brokers[1].head[0] = "\\2,000";       // currency form in the file
        fee::test::write_data_file_bytes(file_bytes(brokers));
        QVERIFY(start());
        choose(1);
        QCOMPARE(w_->shown_broker(), 1);
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 1);
        QCOMPARE(fee::test::edit(w_, "bound_box", 0)->text(), QStringLiteral("¥1,000,000.6"));
        QCOMPARE(fee::test::edit(w_, "bound_box", 1)->text(), QStringLiteral("¥300,000"));
        QCOMPARE(fee::test::edit(w_, "rate_box", 1)->text(), QStringLiteral("0.0025"));
        QCOMPARE(fee::test::edit(w_, "add_on_box", 0)->text(), QStringLiteral("¥100"));
        QCOMPARE(fee::test::edit(w_, "add_on_box", 5)->text(), QStringLiteral("¥1,850"));
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("2000"));
        QCOMPARE(fee::test::edit(w_, "maximum_box")->text(), QStringLiteral("100000"));
        QCOMPARE(fee::test::edit(w_, "minimum_box")->text(), QStringLiteral("500"));

        // Typed forms are stored and shown back in the editor's forms; an empty
        // maximum means none.
        retype(fee::test::edit(w_, "bound_box", 2), QStringLiteral("1,500,000"));
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("¥2,500"));
        retype(fee::test::edit(w_, "maximum_box"), QString());
        choose(1); // the same entry stores and reloads
        QCOMPARE(fee::test::edit(w_, "bound_box", 2)->text(), QStringLiteral("¥1,500,000"));
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("2500"));
        QCOMPARE(fee::test::edit(w_, "maximum_box")->text(), QStringLiteral("0"));
        // The bound that was not edited keeps its fraction of a yen.
        QCOMPARE(fee::test::edit(w_, "bound_box", 0)->text(), QStringLiteral("¥1,000,000.6"));
        QCOMPARE(table_->broker(1).brackets.at(0).upper_bound.units(), 10'000'006'000);

        QVERIFY(close_box());
        auto expected = three_brokers();
        expected[1].head = {"2500", "0", "500"};
        expected[1].brackets[0] = "1000000.6";
        expected[1].brackets[6] = "1500000";
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
    }

    void start_without_file()
    {
        QString text;
        program_.prompter().script({expect_message({QStringLiteral("compare.dat")}, &text)});
        QVERIFY(!start());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(!program_.has_window());
        QVERIFY(!QFile::exists(QString::fromLatin1(fee::kDataFileName)));
        QCOMPARE(QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void program_ends_with_nonzero_status_when_the_file_is_missing()
    {
        ModalScript script({fee::test::press_in_message({QStringLiteral("compare.dat")})});
        QCOMPARE(fee::run_fee_compare(*qApp), 1);
        QVERIFY2(script.finish(), qPrintable(script.failure()));
        QVERIFY(!QFile::exists(QString::fromLatin1(fee::kDataFileName)));
    }

    void program_runs_until_its_window_closes()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        int brokers_shown = -1;
        QTimer::singleShot(100, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* main = qobject_cast<fee::ui::MainWindow*>(top); main && main->isVisible()) {
                    brokers_shown = fee::test::combo(main)->count();
                    main->windowHandle()->close();
                }
            }
        });
        QTimer safety; // the event loop must end even if the window never closes
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, qApp, &QCoreApplication::quit);
        safety.start(10000);
        program_.prompter().script({});
        QCOMPARE(fee::run_fee_compare(*qApp), 0);
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(brokers_shown, 3);
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
    }

    void start_with_bad_file_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("message");
        QByteArray bad_rate = file_bytes(three_brokers());
        bad_rate.replace("0.0025\r\n", "0.0O25\r\n"); // a letter O in broker 1's rate
        QTest::newRow("not a number")
            << bad_rate << QStringList{QStringLiteral("compare.dat"), QStringLiteral("0.0O25")};
        QByteArray short_file = file_bytes(three_brokers());
        short_file.chop(6); // the last line
        QTest::newRow("too short") << short_file
                                   << QStringList{QStringLiteral("compare.dat"), QStringLiteral("64")};
        QByteArray count = file_bytes(many_brokers(1));
        count.replace(0, 1, "21");
        QTest::newRow("count 21") << count
                                  << QStringList{QStringLiteral("compare.dat"), QStringLiteral("21")};
        QTest::newRow("empty") << QByteArray()
                               << QStringList{QStringLiteral("compare.dat"), QStringLiteral("1 行目")};
    }

    void start_with_bad_file()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, message);
        fee::test::write_data_file_bytes(bytes);
        program_.prompter().script({expect_message(message)});
        QVERIFY(!start());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(!program_.has_window());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
    }

    void start_with_a_folder_named_like_the_file()
    {
        QVERIFY(QDir::current().mkdir(QString::fromLatin1(fee::kDataFileName)));
        program_.prompter().script({expect_message({QStringLiteral("compare.dat")})});
        QVERIFY(!start());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(QFileInfo(QString::fromLatin1(fee::kDataFileName)).isDir());
    }

    void close_without_edit_rewrites_the_same_file()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        program_.prompter().script({});
        QVERIFY(close_box());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(!w_->isVisible());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
    }

    void close_rewrites_the_file_even_without_edit()
    {
        // Currency forms and extra lines in the file prove that the close wrote it.
        auto brokers = three_brokers();
        brokers[0].brackets[0] = "\\1,000,000";
        fee::test::write_data_file_bytes(file_bytes(brokers) + "extra\r\n");
        QVERIFY(start());
        QVERIFY(close_box());
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(three_brokers()));
    }

    void exit_button_and_close_box_leave_the_same_file()
    {
        QByteArray results[2];
        int opens[2] = {0, 0};
        for (int way = 0; way < 2; ++way) {
            fee::test::write_data_file_bytes(file_bytes(three_brokers()));
            QVERIFY(start());
            fee::test::ReplacementCounter replacements(QDir::currentPath(), QStringLiteral("compare.dat"));
            retype(fee::test::edit(w_, "rate_box", 2), QStringLiteral("0.0071"));
            retype(fee::test::edit(w_, "minimum_box"), QStringLiteral("100"));
            program_.prompter().script({});
            if (way == 0)
                QVERIFY(fee::test::press_alt(w_, 'e'));
            else
                QVERIFY(close_box());
            QTRY_VERIFY(!w_->isVisible());
            QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
            results[way] = fee::test::read_data_file_bytes().value_or(QByteArray());
            opens[way] = replacements.count();
        }
        auto expected = three_brokers();
        expected[0].brackets[7] = "0.0071";
        expected[0].head[2] = "100";
        QCOMPARE(results[0], file_bytes(expected));
        QCOMPARE(results[1], results[0]);
        QCOMPARE(opens[0], 1); // the exit button writes once
        QCOMPARE(opens[1], 1);
    }

    void edit_then_switch_stores_the_old_row()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        choose(1);
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("3500"));
        retype(fee::test::edit(w_, "add_on_box", 5), QStringLiteral("¥1,900"));
        choose(2);
        QCOMPARE(w_->shown_broker(), 2);
        QCOMPARE(table_->broker(1).yearly_fee.units(), 3500 * fee::Money::kScale);
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("1500"));
        QCOMPARE(fee::test::edit(w_, "minimum_box")->text(), QStringLiteral("1000"));
        QCOMPARE(fee::test::edit(w_, "bound_box", 0)->text(), QStringLiteral("¥200,000"));
        choose(1);
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("3500"));
        QCOMPARE(fee::test::edit(w_, "add_on_box", 5)->text(), QStringLiteral("¥1,900"));

        QVERIFY(close_box());
        auto expected = three_brokers();
        expected[1].head[0] = "3500";
        expected[1].brackets[16] = "1900";
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
    }

    void add_a_broker()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("2100")); // stored by the choice
        choose(2);
        retype(fee::test::edit(w_, "minimum_box"), QStringLiteral("800")); // stored by the add
        program_.prompter().script({answer_name(QStringLiteral("みらい証券"))});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));

        QCOMPARE(fee::test::combo(w_)->count(), 4);
        QCOMPARE(fee::test::combo(w_)->itemText(3), QStringLiteral("みらい証券"));
        QCOMPARE(fee::test::combo(w_)->currentIndex(), -1);
        QCOMPARE(w_->shown_broker(), 3);
        QCOMPARE(table_->last_broker(), 3);
        const QStringList kubun = {QStringLiteral("¥1,000,000"),  QStringLiteral("¥5,000,000"),
                                   QStringLiteral("¥10,000,000"), QStringLiteral("¥30,000,000"),
                                   QStringLiteral("¥50,000,000"), QStringLiteral("それ以上")};
        const QStringList wariai = {"0.0115", "0.009", "0.007", "0.00575", "0.00375", "0"};
        const QStringList add = {QStringLiteral("¥0"),      QStringLiteral("¥2,500"),
                                 QStringLiteral("¥12,500"), QStringLiteral("¥25,000"),
                                 QStringLiteral("¥85,000"), QStringLiteral("¥272,500")};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(fee::test::edit(w_, "bound_box", i)->text(), kubun[i]);
            QCOMPARE(fee::test::edit(w_, "rate_box", i)->text(), wariai[i]);
            QCOMPARE(fee::test::edit(w_, "add_on_box", i)->text(), add[i]);
        }
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("¥2,000"));
        QCOMPARE(fee::test::edit(w_, "minimum_box")->text(), QStringLiteral("0"));
        QCOMPARE(fee::test::edit(w_, "maximum_box")->text(), QStringLiteral("0"));

        // The new row reaches the table at the next store: here the close.
        QVERIFY(close_box());
        auto expected = three_brokers();
        expected[0].head[0] = "2100";
        expected[2].head[2] = "800";
        expected.push_back({QStringLiteral("みらい証券"), {"2000", "0", "0"}, kStandardBrackets});
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
    }

    void added_broker_is_stored_when_switching()
    {
        fee::test::write_data_file_bytes(file_bytes(many_brokers(1)));
        QVERIFY(start());
        program_.prompter().script({answer_name(QStringLiteral("ABC証券"))});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        retype(fee::test::edit(w_, "rate_box", 0), QStringLiteral("0.012"));
        choose(0);
        QCOMPARE(table_->last_broker(), 1);
        QCOMPARE(table_->broker(1).brackets.at(0).rate, 0.012f);
        QCOMPARE(table_->broker(1).yearly_fee.units(), 2000 * fee::Money::kScale);
        QCOMPARE(table_->broker(1).brackets.at(5).add_on.units(), 272500 * fee::Money::kScale);
        QCOMPARE(table_->broker(1).brackets.at(5).upper_bound.units(), 0);
    }

    void cancel_adds_nothing_but_keeps_the_edit()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("4000"));
        program_.prompter().script({answer_name(QStringLiteral("取消証券"), true)});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::combo(w_)->count(), 3);
        QCOMPARE(table_->last_broker(), 2);
        QCOMPARE(w_->shown_broker(), 0);
        QCOMPARE(table_->broker(0).yearly_fee.units(), 4000 * fee::Money::kScale);
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("4000"));

        // OK on an empty field is a cancel too.
        program_.prompter().script({answer_name(QString())});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::combo(w_)->count(), 3);
        QCOMPARE(table_->last_broker(), 2);
    }

    void add_stops_silently_at_twenty()
    {
        fee::test::write_data_file_bytes(file_bytes(many_brokers(19)));
        QVERIFY(start());
        program_.prompter().script({answer_name(QStringLiteral("二十番証券"))});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(table_->last_broker(), 19);
        QCOMPARE(fee::test::combo(w_)->count(), 20);

        // At 20 the button does nothing at all: no box, no message, no store
        // (the bad text would have been reported by a store).
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("abc"));
        const fee::BrokerTable before = *table_;
        program_.prompter().script({});
        click(fee::test::button(w_, "add_button"));
        fee::test::settle();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(table_->last_broker(), 19);
        QCOMPARE(fee::test::combo(w_)->count(), 20);
        QCOMPARE(table_->broker(19).yearly_fee.units(), before.broker(19).yearly_fee.units());
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("abc"));
        QCOMPARE(w_->shown_broker(), 19);
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("2000"));
    }

    void twenty_one_brokers_load_but_none_can_be_added()
    {
        const QByteArray bytes = file_bytes(many_brokers(21));
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        QCOMPARE(fee::test::combo(w_)->count(), 21);
        QCOMPARE(fee::test::combo(w_)->itemText(20), QStringLiteral("証券20"));
        program_.prompter().script({});
        click(fee::test::button(w_, "add_button"));
        fee::test::settle();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        choose(20);
        QCOMPARE(w_->shown_broker(), 20);
        QVERIFY(close_box());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
    }

    void duplicate_and_blank_names_are_added()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        program_.prompter().script({answer_name(QStringLiteral("あおば証券"))});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        program_.prompter().script({answer_name(QStringLiteral("   "))});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(
            combo_items(fee::test::combo(w_)),
            (QStringList{QStringLiteral("あおば証券"), QStringLiteral("かえで証券"),
                         QStringLiteral("さくら証券"), QStringLiteral("あおば証券"), QStringLiteral("   ")}));
        QVERIFY(close_box());
        auto expected = three_brokers();
        expected.push_back({QStringLiteral("あおば証券"), {"2000", "0", "0"}, kStandardBrackets});
        expected.push_back({QStringLiteral("   "), {"2000", "0", "0"}, kStandardBrackets});
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
    }

    void name_outside_the_code_page_is_refused()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        program_.prompter().script({
            answer_name(QStringLiteral("Café証券")),
            expect_message({QStringLiteral("é")}),
            answer_name(QStringLiteral("😀証券"), false, QStringLiteral("Café証券")),
            expect_message({QStringLiteral("😀")}),
            answer_name(QStringLiteral("改行\n証券"), false, QStringLiteral("😀証券")),
            expect_message({QStringLiteral("改行")}),
            answer_name(QString(), true, QStringLiteral("改行\n証券")),
        });
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::combo(w_)->count(), 3);
        QCOMPARE(table_->last_broker(), 2);
        QVERIFY(close_box());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);

        // The input box goes on to take a good name after a refusal.
        QVERIFY(start());
        program_.prompter().script(
            {answer_name(QStringLiteral("Café")), expect_message({}),
             answer_name(QStringLiteral("カフェ証券"), false, QStringLiteral("Café"))});
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::combo(w_)->itemText(3), QStringLiteral("カフェ証券"));
    }

    void bad_box_on_close_keeps_the_window_and_the_file()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        retype(fee::test::edit(w_, "bound_box", 0), QStringLiteral("2,000,000")); // before the bad box
        retype(fee::test::edit(w_, "rate_box", 2), QStringLiteral("abc"));
        program_.prompter().script(
            {expect_message({QStringLiteral("手数料率（3 行目）"), QStringLiteral("abc")})});
        QVERIFY(!close_box());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(w_->isVisible());
        QCOMPARE(w_->focusWidget(), static_cast<QWidget*>(fee::test::edit(w_, "rate_box", 2)));
        QCOMPARE(fee::test::edit(w_, "rate_box", 2)->text(), QStringLiteral("abc"));
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
        // Nothing of the row was stored, not even the boxes before the bad one.
        QCOMPARE(table_->broker(0).brackets.at(0).upper_bound.units(), 1000000 * fee::Money::kScale);

        // Same with the exit button.
        program_.prompter().script({expect_message({QStringLiteral("手数料率（3 行目）")})});
        QVERIFY(fee::test::press_alt(w_, 'e'));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(w_->isVisible());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);

        // Mended, the close goes through.
        retype(fee::test::edit(w_, "rate_box", 2), QStringLiteral("0.007"));
        QVERIFY(close_box());
        auto expected = three_brokers();
        expected[0].brackets[0] = "2000000";
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
    }

    void bad_box_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("bound") << "bound_box(4)"
                               << "1,000,000円" << QStringLiteral("約定代金（5 行目）");
        QTest::newRow("add-on") << "add_on_box(5)"
                                << "" << QStringLiteral("付加（6 行目）");
        QTest::newRow("fee") << "yearly_fee_box"
                             << "二千" << QStringLiteral("維持費");
        QTest::newRow("maximum blank") << "maximum_box"
                                       << " " << QStringLiteral("上限");
        QTest::newRow("minimum") << "minimum_box"
                                 << "-" << QStringLiteral("下限");
        QTest::newRow("huge") << "yearly_fee_box"
                              << "99999999999999999999" << QStringLiteral("維持費");
    }

    // On a list choice, on 追加 and on 試算, a bad box stops the action.
    void bad_box()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, named);
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        auto* edit = w_->findChild<QLineEdit*>(box);
        QVERIFY(edit);
        choose(1);
        const fee::BrokerTable before = *table_;
        retype(edit, text);

        program_.prompter().script({expect_message({named})});
        choose(2);
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(w_->shown_broker(), 1);
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 1);
        QCOMPARE(edit->text(), text);
        QCOMPARE(w_->focusWidget(), static_cast<QWidget*>(edit));

        program_.prompter().script({expect_message({named})}); // and no input box
        click(fee::test::button(w_, "add_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(table_->last_broker(), 2);

        program_.prompter().script({expect_message({named})}); // and no question window
        click(fee::test::button(w_, "calculate_button"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));

        QCOMPARE(QByteArray::fromStdString(fee::serialize_data_file(*table_).value()),
                 QByteArray::fromStdString(fee::serialize_data_file(before).value()));
        program_.prompter().script({expect_message({named})});
        QVERIFY(!close_box());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
        QVERIFY(w_->isVisible());
    }

    void failed_write_keeps_the_window_and_the_file()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("999"));
        // The system refuses the bytes, as on a full disk.
        std::optional<fee::test::FileSizeLimit> full_disk(std::in_place, 0);
        const QStringList failed = {QStringLiteral("compare.dat"), QStringLiteral("保存できませんでした")};
        QString confirmation;
        program_.prompter().script({
            answer_message(failed, QStringLiteral("キャンセル")),
        });
        QVERIFY(!close_box());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(w_->isVisible());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);

        // The exit button offers the same: a retry that fails again, then the
        // way out, whose confirmation names what would be lost; back instead.
        program_.prompter().script({
            answer_message(failed, QStringLiteral("もう一度")),
            answer_message(failed, QStringLiteral("保存しないで終了")),
            answer_message({QStringLiteral("1 社目「あおば証券」")}, QStringLiteral("キャンセル"),
                           &confirmation),
        });
        QVERIFY(fee::test::press_alt(w_, 'e'));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(!confirmation.contains(QStringLiteral("かえで証券")));
        QVERIFY(w_->isVisible());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
        QCOMPARE(QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 (QStringList{QStringLiteral("compare.dat"), QStringLiteral("compare.dat.lock")}));

        // The cause gone, the same edit is written.
        full_disk.reset();
        QVERIFY(close_box());
        auto expected = three_brokers();
        expected[0].head[0] = "999";
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
        QCOMPARE(QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("compare.dat")});
    }

    void quitting_without_saving_leaves_the_file_as_it_was()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("999"));
        fee::test::FileSizeLimit full_disk(0);
        program_.prompter().script({
            answer_message({QStringLiteral("保存できませんでした")}, QStringLiteral("保存しないで終了")),
            answer_message({QStringLiteral("失われます")}, QStringLiteral("保存しないで終了")),
        });
        QVERIFY(close_box());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(!w_->isVisible());
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);
    }

    void a_file_changed_by_another_program_is_not_overwritten_unasked()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("999"));
        const QByteArray theirs = file_bytes(many_brokers(2));
        fee::test::write_data_file_bytes(theirs);
        program_.prompter().script(
            {answer_message({QStringLiteral("書き換えられています")}, QStringLiteral("キャンセル"))});
        QVERIFY(!close_box());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(w_->isVisible());
        QCOMPARE(fee::test::read_data_file_bytes(), theirs);

        program_.prompter().script(
            {answer_message({QStringLiteral("書き換えられています")}, QStringLiteral("上書き保存"))});
        QVERIFY(close_box());
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        auto expected = three_brokers();
        expected[0].head[0] = "999";
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
    }

    void an_unedited_close_writes_what_normalize_writes()
    {
        // Fractions of a yen in bounds and add-ons, a rate of more than seven
        // digits and a minimum with four decimals, in a file that is not yet in
        // the general form.
        auto brokers = three_brokers();
        brokers[0].brackets[0] = "1000000.5";
        brokers[0].brackets[2] = "0.5";
        brokers[1].brackets[1] = "0.001000000047497451";
        brokers[1].head[2] = "\\500.1234";
        brokers[2].brackets[16] = "4,620.25";
        const QByteArray original = file_bytes(brokers);
        fee::test::write_data_file_bytes(original);
        fee::BrokerTable reference;
        QVERIFY(fee::read_data_file(QStringLiteral("compare.dat"), reference).ok());
        const QByteArray normalized = QByteArray::fromStdString(fee::serialize_data_file(reference).value());
        QVERIFY(normalized != original);

        QVERIFY(start());
        choose(1); // shown and stored again without an edit
        choose(2);
        choose(0);
        QVERIFY(close_box());
        QCOMPARE(fee::test::read_data_file_bytes(), normalized);

        // And a file already in that form comes back byte for byte.
        QVERIFY(start());
        choose(2);
        QVERIFY(close_box());
        QCOMPARE(fee::test::read_data_file_bytes(), normalized);
    }

    void enter_presses_the_focused_button_and_nothing_in_a_box()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        program_.prompter().script({});
        fee::test::edit(w_, "yearly_fee_box")->setFocus();
        QTest::keyClick(fee::test::edit(w_, "yearly_fee_box"), Qt::Key_Return);
        fee::test::settle();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QVERIFY(w_->isVisible());

        program_.prompter().script({answer_name(QString(), true)});
        fee::test::button(w_, "add_button")->setFocus();
        QTest::keyClick(fee::test::button(w_, "add_button"), Qt::Key_Return);
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(table_->last_broker(), 2);
    }

    void a_second_copy_on_the_same_file_touches_nothing()
    {
        const QByteArray bytes = file_bytes(three_brokers());
        fee::test::write_data_file_bytes(bytes);
        QVERIFY(start());
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("999"));

        fee::DataLocation where;
        where.data_file = QDir::current().absoluteFilePath(QString::fromLatin1(fee::kDataFileName));
        fee::DataDocument second(where.data_file);
        program_.prompter().script(
            {expect_message({QStringLiteral("compare.dat"), QStringLiteral("ほかで開かれています")})});
        QVERIFY(!fee::open_document(second, where, program_.prompter()));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::read_data_file_bytes(), bytes);

        // The first copy goes on and writes its edit at close.
        QVERIFY(close_box());
        auto expected = three_brokers();
        expected[0].head[0] = "999";
        QCOMPARE(fee::test::read_data_file_bytes(), file_bytes(expected));
    }

    void version_box()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        program_.prompter().script({expect_message({QString::fromLatin1(fee::kVersion)})});
        QVERIFY(fee::test::press_alt(w_, 'h'));
        QTRY_VERIFY(fee::test::menu(w_, "help_menu")->isVisible());
        QTest::keyClick(fee::test::menu(w_, "help_menu"), Qt::Key_V);
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
    }

    void help_that_is_not_there_says_where_it_looked()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        // No help file here, and no installed folder in this fixture.
        program_.prompter().script({expect_message({QDir::currentPath()})});
        fee::test::action(w_, "help_contents")->trigger();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
    }

    void calculation_stores_the_editor_first()
    {
        fee::test::write_data_file_bytes(file_bytes(three_brokers()));
        QVERIFY(start());
        retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("1234"));
        // Whatever the chain shows first is closed again: this test only proves
        // that broker 0 is stored before the chain starts.
        bool stored_before = false;
        QTimer::singleShot(150, this, [&] {
            stored_before = table_->broker(0).yearly_fee.units() == 1234 * fee::Money::kScale;
            ModalScript::close_all_modals();
        });
        ModalScript chain({}, 3000);
        click(fee::test::button(w_, "calculate_button"));
        fee::test::settle();
        QVERIFY2(chain.finish(), qPrintable(chain.failure()));
        QVERIFY(stored_before);
        QCOMPARE(table_->broker(0).yearly_fee.units(), 1234 * fee::Money::kScale);
        QVERIFY(w_->isVisible());
    }

    void helper_types_kana_and_kanji()
    {
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        fee::test::type_text(&edit, QStringLiteral("ｶﾅ かな 漢字 ¥1"));
        QCOMPARE(edit.text(), QStringLiteral("ｶﾅ かな 漢字 ¥1"));
    }

    void watchdog_fails_and_closes_a_stray_dialog()
    {
        ModalScript watchdog({}, 100);
        QMessageBox box;
        box.setText(QStringLiteral("stray"));
        box.exec(); // would hang without the watchdog
        QVERIFY(!watchdog.finish());
        QVERIFY(watchdog.failure().contains(QStringLiteral("QMessageBox")));

        ModalScript wrong({{QStringLiteral("QInputDialog"), {}, 200}});
        QMessageBox other;
        other.exec();
        QVERIFY(!wrong.finish());
        QVERIFY(wrong.failure().contains(QStringLiteral("QInputDialog")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
