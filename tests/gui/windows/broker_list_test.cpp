// The broker list's context menu as a user drives it: a right click on the
// list, a choice in the menu, the dialogs it opens, and the exact bytes of
// compare.dat after the close.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "core/datafile/data_file.h"
#include "core/fees/broker_table.h"
#include "core/text/codepage.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/main_window.h"
#include "gui_support.h"
#include "test_tables.h"

using fee::test::answer_message;
using fee::test::expect_message;
using fee::test::ModalScript;
using fee::test::ModalStep;

namespace {

const char* const kNames[] = {"あおば証券", "かえで証券", "さくら証券", "ソニー証券"};

// Four brokers that differ in fee and minimum, not only in name.
fee::BrokerTable four_brokers()
{
    fee::BrokerTable t;
    t.set_last_broker(3);
    for (int r = 0; r <= 3; ++r) {
        fee::test::set_standard_schedule(t, r);
        t.broker(r).name = fee::encode_typed_name(QString::fromUtf8(kNames[r])).value();
        t.broker(r).yearly_fee = *fee::Money::from_yen(1000 * (r + 1));
        t.broker(r).minimum = *fee::Money::from_yen(100 * (r + 1));
    }
    return t;
}

// The brokers of four_brokers() in the order of `rows`.
fee::BrokerTable in_order(std::vector<int> rows)
{
    const fee::BrokerTable all = four_brokers();
    fee::BrokerTable t;
    t.set_last_broker(static_cast<int>(rows.size()) - 1);
    for (std::size_t i = 0; i < rows.size(); ++i)
        t.broker(static_cast<int>(i)) = all.broker(rows[i]);
    return t;
}

QByteArray bytes_of(const fee::BrokerTable& t)
{
    return QByteArray::fromStdString(fee::serialize_data_file(t).value());
}

QStringList combo_items(const QComboBox* c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

QStringList names(std::vector<int> rows)
{
    QStringList l;
    for (int r : rows)
        l << QString::fromUtf8(kNames[r]);
    return l;
}

// Answers the rename box, which must offer `shown`: `name` typed and
// confirmed, or cancelled when `cancel`.
fee::test::PromptStep answer_rename(const QString& shown, const QString& name, bool cancel = false)
{
    return fee::test::answer_text(cancel ? std::nullopt : std::optional<QString>(name), {shown});
}

} // namespace

class BrokerListTest : public QObject {
    Q_OBJECT

private:
    fee::test::ProgramFixture program_;
    fee::ui::MainWindow* w_ = nullptr;

    bool start(const fee::BrokerTable& table)
    {
        fee::test::write_data_file_bytes(bytes_of(table));
        const bool started = program_.start();
        w_ = &program_.window();
        return started;
    }

    void choose(int index) { fee::test::choose_entry(fee::test::combo(w_), index); }

    // A right click on the list, as the window system delivers it: the press
    // and then the context menu event at the same place.
    QMenu* right_click_list()
    {
        w_->activateWindow();
        if (!QTest::qWaitForWindowActive(w_))
            return nullptr;
        QComboBox* c = fee::test::combo(w_);
        const QPoint at = c->rect().center();
        QTest::mousePress(c, Qt::RightButton, {}, at);
        QContextMenuEvent menu_event(QContextMenuEvent::Mouse, at, c->mapToGlobal(at));
        QApplication::sendEvent(c, &menu_event);
        QTest::mouseRelease(c, Qt::RightButton, {}, at);
        return fee::test::menu(w_, "list_menu")->isVisible() ? fee::test::menu(w_, "list_menu") : nullptr;
    }

    // Chooses `item` in the open menu; it may open modal dialogs.
    void pick(QMenu* menu, QAction* item)
    {
        QVERIFY(menu);
        QVERIFY(item->isEnabled());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }

    void close_window() { QVERIFY(w_->windowHandle()->close()); }

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
    }

    void menu_acts_on_the_broker_in_the_editor()
    {
        QVERIFY(start(four_brokers()));
        QCOMPARE(fee::test::combo(w_)->currentIndex(), -1);
        const QRect list = fee::test::combo(w_)->geometry();
        QMenu* menu = right_click_list();
        QVERIFY(menu);
        QStringList texts;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << a->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("名前の変更"), QStringLiteral("削除"),
                                     QStringLiteral("上へ"), QStringLiteral("下へ")}));
        // The list shows which broker the menu is about: the editor's, row 0.
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 0);
        QVERIFY(!fee::test::combo(w_)->view()->isVisible());
        QVERIFY(fee::test::action(w_, "rename_action")->isEnabled());
        QVERIFY(fee::test::action(w_, "remove_action")->isEnabled());
        QVERIFY(!fee::test::action(w_, "move_up_action")->isEnabled());
        QVERIFY(fee::test::action(w_, "move_down_action")->isEnabled());
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!menu->isVisible());

        // Shift+F10 opens the same menu from the keyboard.
        fee::test::combo(w_)->setFocus();
        QTest::keyClick(fee::test::combo(w_), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!menu->isVisible());

        choose(3);
        QVERIFY(right_click_list());
        QVERIFY(fee::test::action(w_, "move_up_action")->isEnabled());
        QVERIFY(!fee::test::action(w_, "move_down_action")->isEnabled());
        fee::test::menu(w_, "list_menu")->hide();
        QCOMPARE(fee::test::combo(w_)->geometry(), list);

        // Nothing was changed: the close writes the file as it was.
        close_window();
        QCOMPARE(fee::test::read_data_file_bytes(), bytes_of(four_brokers()));
    }

    void delete_asks_first_and_cancel_keeps_the_broker()
    {
        QVERIFY(start(four_brokers()));
        choose(1);
        fee::test::retype(fee::test::edit(w_, "yearly_fee_box"),
                          QStringLiteral("2500")); // stored before the question
        program_.prompter().script({answer_message(
            {QStringLiteral("2 社目「かえで証券」を一覧から削除しますか？")}, QStringLiteral("キャンセル"))});
        pick(right_click_list(), fee::test::action(w_, "remove_action"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(combo_items(fee::test::combo(w_)), names({0, 1, 2, 3}));
        QCOMPARE(program_.table().broker(1).yearly_fee.units(), 2500 * fee::Money::kScale);

        program_.prompter().script({answer_message({QStringLiteral("かえで証券")}, QStringLiteral("削除"))});
        pick(right_click_list(), fee::test::action(w_, "remove_action"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        // The next broker takes its place, in the list and in the editor.
        QCOMPARE(combo_items(fee::test::combo(w_)), names({0, 2, 3}));
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 1);
        QCOMPARE(w_->shown_broker(), 1);
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("3000"));
        QCOMPARE(fee::test::edit(w_, "minimum_box")->text(), QStringLiteral("300"));

        // The last broker gives way to the one before it.
        choose(2);
        program_.prompter().script(
            {answer_message({QStringLiteral("3 社目「ソニー証券」")}, QStringLiteral("削除"))});
        pick(right_click_list(), fee::test::action(w_, "remove_action"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(combo_items(fee::test::combo(w_)), names({0, 2}));
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 1);
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("3000"));

        // Kept in memory until the close writes it.
        QCOMPARE(fee::test::read_data_file_bytes(), bytes_of(four_brokers()));
        close_window();
        const QByteArray written = fee::test::read_data_file_bytes().value_or(QByteArray());
        QCOMPARE(written, bytes_of(in_order({0, 2})));
        QVERIFY(written.startsWith(
            "1\r\n\x82\xa0\x82\xa8\x82\xce\x8f\xd8\x8c\x94\r\n1000\r\n0\r\n100\r\n"
            "\x82\xb3\x82\xad\x82\xe7\x8f\xd8\x8c\x94\r\n3000\r\n0\r\n300\r\n1000000\r\n"));
    }

    void the_only_broker_cannot_be_deleted()
    {
        fee::BrokerTable one;
        fee::test::set_standard_schedule(one, 0);
        one.broker(0).name = "Solo";
        QVERIFY(start(one));
        QVERIFY(right_click_list());
        QVERIFY(!fee::test::action(w_, "remove_action")->isEnabled());
        QVERIFY(!fee::test::action(w_, "move_up_action")->isEnabled());
        QVERIFY(!fee::test::action(w_, "move_down_action")->isEnabled());
        fee::test::menu(w_, "list_menu")->hide();
    }

    void rename_takes_a_name_as_the_add_box_does()
    {
        QVERIFY(start(four_brokers()));
        choose(2);
        program_.prompter().script({
            answer_rename(QStringLiteral("さくら証券"), QStringLiteral("Café証券")),
            expect_message({QStringLiteral("é")}),
            answer_rename(QStringLiteral("Café証券"), QStringLiteral("みなと証券")),
        });
        pick(right_click_list(), fee::test::action(w_, "rename_action"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QStringList expected = names({0, 1, 2, 3});
        expected[2] = QStringLiteral("みなと証券");
        QCOMPARE(combo_items(fee::test::combo(w_)), expected);
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 2);
        QCOMPARE(w_->shown_broker(), 2);
        QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("3000"));

        // Cancel keeps the name.
        program_.prompter().script({answer_rename(QStringLiteral("みなと証券"), QStringLiteral("x"), true)});
        pick(right_click_list(), fee::test::action(w_, "rename_action"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(combo_items(fee::test::combo(w_)), expected);

        close_window();
        fee::BrokerTable renamed = four_brokers();
        renamed.broker(2).name = "\x82\xdd\x82\xc8\x82\xc6\x8f\xd8\x8c\x94";
        QCOMPARE(fee::test::read_data_file_bytes(), bytes_of(renamed));
    }

    void up_and_down_move_the_broker_with_its_edits()
    {
        QVERIFY(start(four_brokers()));
        choose(1);
        fee::test::retype(fee::test::edit(w_, "minimum_box"), QStringLiteral("250"));
        program_.prompter().script({});
        pick(right_click_list(), fee::test::action(w_, "move_up_action"));
        QCOMPARE(combo_items(fee::test::combo(w_)), names({1, 0, 2, 3}));
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 0);
        QCOMPARE(w_->shown_broker(), 0);
        QCOMPARE(fee::test::edit(w_, "minimum_box")->text(), QStringLiteral("250"));
        QVERIFY(right_click_list());
        QVERIFY(!fee::test::action(w_, "move_up_action")->isEnabled());
        pick(fee::test::menu(w_, "list_menu"), fee::test::action(w_, "move_down_action"));
        pick(right_click_list(), fee::test::action(w_, "move_down_action"));
        pick(right_click_list(), fee::test::action(w_, "move_down_action"));
        QCOMPARE(combo_items(fee::test::combo(w_)), names({0, 2, 3, 1}));
        QCOMPARE(fee::test::combo(w_)->currentIndex(), 3);
        QCOMPARE(w_->shown_broker(), 3);
        QVERIFY(right_click_list());
        QVERIFY(!fee::test::action(w_, "move_down_action")->isEnabled());
        fee::test::menu(w_, "list_menu")->hide();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));

        close_window();
        fee::BrokerTable expected = in_order({0, 2, 3, 1});
        expected.broker(3).minimum = *fee::Money::from_yen(250);
        QCOMPARE(fee::test::read_data_file_bytes(), bytes_of(expected));
    }

    void a_bad_box_stops_every_action_but_deleting_its_broker()
    {
        QVERIFY(start(four_brokers()));
        choose(1);
        fee::test::retype(fee::test::edit(w_, "yearly_fee_box"), QStringLiteral("abc"));
        for (QAction* item : {fee::test::action(w_, "rename_action"), fee::test::action(w_, "move_up_action"),
                              fee::test::action(w_, "move_down_action")}) {
            program_.prompter().script({expect_message({QStringLiteral("「abc」")})});
            pick(right_click_list(), item);
            QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
            QCOMPARE(combo_items(fee::test::combo(w_)), names({0, 1, 2, 3}));
            QCOMPARE(w_->shown_broker(), 1);
            QCOMPARE(fee::test::edit(w_, "yearly_fee_box")->text(), QStringLiteral("abc"));
        }
        // The bad text goes with the broker it belongs to.
        program_.prompter().script({answer_message({}, QStringLiteral("削除"))});
        pick(right_click_list(), fee::test::action(w_, "remove_action"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(combo_items(fee::test::combo(w_)), names({0, 2, 3}));
        close_window();
        QCOMPARE(fee::test::read_data_file_bytes(), bytes_of(in_order({0, 2, 3})));
    }

    // Removing the last broker changes no row that is left, yet quitting
    // without saving loses it, and says so.
    void quitting_without_saving_names_the_list_change()
    {
        QVERIFY(start(four_brokers()));
        choose(3);
        program_.prompter().script(
            {answer_message({QStringLiteral("4 社目「ソニー証券」")}, QStringLiteral("削除"))});
        pick(right_click_list(), fee::test::action(w_, "remove_action"));
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        fee::test::FileSizeLimit full_disk(0);
        program_.prompter().script({
            answer_message({QStringLiteral("保存できませんでした")}, QStringLiteral("保存しないで終了")),
            answer_message(
                {QStringLiteral("失われます"), QStringLiteral("証券会社の一覧の名前の変更・削除・並べ替え")},
                QStringLiteral("保存しないで終了")),
        });
        close_window();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::read_data_file_bytes(), bytes_of(four_brokers()));
    }

    // Deleting makes room under the limit of 20 that adding keeps.
    void a_deleted_broker_makes_room_to_add()
    {
        fee::BrokerTable twenty;
        twenty.set_last_broker(19);
        for (int r = 0; r <= 19; ++r) {
            fee::test::set_standard_schedule(twenty, r);
            twenty.broker(r).name = "B" + std::to_string(r);
        }
        QVERIFY(start(twenty));
        program_.prompter().script({
            answer_message({QStringLiteral("1 社目「B0」")}, QStringLiteral("削除")),
            fee::test::answer_text(QStringLiteral("B20")),
        });
        pick(right_click_list(), fee::test::action(w_, "remove_action"));
        QCOMPARE(fee::test::combo(w_)->count(), 19);
        QTest::mouseClick(fee::test::button(w_, "add_button"), Qt::LeftButton);
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::combo(w_)->count(), 20);
        QCOMPARE(fee::test::combo(w_)->itemText(19), QStringLiteral("B20"));
        program_.prompter().script({}); // at 20 again, adding does nothing
        QTest::mouseClick(fee::test::button(w_, "add_button"), Qt::LeftButton);
        fee::test::settle();
        QVERIFY2(program_.prompter().finish(), qPrintable(program_.prompter().failure()));
        QCOMPARE(fee::test::combo(w_)->count(), 20);
    }
};

QTEST_MAIN(BrokerListTest)
#include "broker_list_test.moc"
