// The real prompter's one rule, on real dialog boxes: the program's name as the
// title, Enter on the focused button, Esc for the last answer, and a text box
// no longer than asked.
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "gui/prompter.h"
#include "gui_support.h"

using fee::test::ModalScript;

class PrompterTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { fee::test::install_message_filter(); }

    void keys_and_titles()
    {
        fee::ui::DialogPrompter prompter;
        const QStringList answers = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        const struct {
            Qt::Key key;
            int tabs;
            int expected;
        } cases[] = {{Qt::Key_Escape, 0, 2}, {Qt::Key_Return, 0, 2}, {Qt::Key_Return, 1, 0}};
        for (const auto& c : cases) {
            ModalScript script({{QStringLiteral("QMessageBox"), [&c](QWidget* box) {
                                     QCOMPARE(box->windowTitle(), fee::ui::program_name());
                                     for (int t = 0; t < c.tabs; ++t)
                                         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                                     QTest::keyClick(QApplication::focusWidget(), c.key);
                                 }}});
            QCOMPARE(prompter.ask(QStringLiteral("?"), answers), c.expected);
            QVERIFY2(script.finish(), qPrintable(script.failure()));
        }
        ModalScript own({{QStringLiteral("QMessageBox"), [](QWidget* w) {
                              auto* box = qobject_cast<QMessageBox*>(w);
                              QCOMPARE(box->windowTitle(), QStringLiteral("own"));
                              QCOMPARE(box->icon(), QMessageBox::NoIcon);
                              box->accept();
                          }}});
        prompter.inform(QStringLiteral("text"), QStringLiteral("own"));
        QVERIFY2(own.finish(), qPrintable(own.failure()));
    }

    void a_text_is_no_longer_than_asked()
    {
        ModalScript script({{QStringLiteral("QInputDialog"), [](QWidget* d) {
                                 auto* edit = d->findChild<QLineEdit*>();
                                 QCOMPARE(edit->text(), QStringLiteral("ab"));
                                 QTest::keyClick(edit, Qt::Key_End);
                                 fee::test::type_text(edit, QStringLiteral("cdef"));
                                 QTest::keyClick(edit, Qt::Key_Return);
                             }}});
        QCOMPARE(fee::ui::DialogPrompter().ask_text(QStringLiteral("t"), QStringLiteral("p"),
                                                    QStringLiteral("ab"), 4),
                 std::optional<QString>(QStringLiteral("abcd")));
        QVERIFY2(script.finish(), qPrintable(script.failure()));
    }
};

QTEST_MAIN(PrompterTest)
#include "prompter_test.moc"
