// The real prompter's one rule, on real dialog boxes: the program's name as the
// title, Enter on the focused button, Esc for the last answer, and a text box
// no longer than asked.
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "gui/app/prompter.h"
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

    // A name the caller refuses is said so, and the same dialog stays open for another.
    void a_refused_file_keeps_the_dialog_open()
    {
        QTemporaryDir dir;
        const QString refused = dir.filePath("refused.csv"), taken = dir.filePath("taken.csv");
        QPointer<QWidget> first;
        const auto choose = [](QWidget* dialog, const QString& path) {
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        };
        ModalScript script({{QStringLiteral("QFileDialog"),
                             [&](QWidget* d) {
                                 first = d;
                                 choose(d, refused);
                             }},
                            {QStringLiteral("QMessageBox"), [](QWidget* box) { box->close(); }},
                            {QStringLiteral("QFileDialog"), [&](QWidget* d) {
                                 QCOMPARE(d, first.data());
                                 choose(d, taken);
                             }}});
        const auto chosen = fee::ui::DialogPrompter().ask_save_path(
            QStringLiteral("t"), dir.filePath("x.csv"), QStringLiteral("*.csv"),
            [&](const QString& path) { return path == refused ? QStringLiteral("no") : QString(); });
        QVERIFY2(script.finish(), qPrintable(script.failure()));
        QCOMPARE(chosen, std::optional<QString>(taken));
    }
};

QTEST_MAIN(PrompterTest)
#include "prompter_test.moc"
