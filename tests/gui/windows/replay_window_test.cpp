// The replay of a trade history as a user reaches it: Ctrl+R in the main
// window, the file chosen, and the window that shows the brokers ranked.

#include <QFile>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/replay/history.h"
#include "core/replay/replay.h"
#include "core/text/codepage.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/main_window.h"
#include "gui_support.h"
#include "replay/history_files.h"

class ReplayWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        fee::test::install_message_filter();
        fee::ui::apply_ui_font(*qApp);
        // Whatever the window remembers stays in the test's own folder.
        QVERIFY(settings_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
    }

    void opens_a_file_and_shows_the_ranking()
    {
        fee::test::ProgramFixture program;
        QVERIFY(program.set_up());
        QFile sample(QStringLiteral(FEE_SAMPLE_DATA));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QByteArray data = sample.readAll();
        fee::test::write_data_file_bytes(data);
        QVERIFY(program.start());

        const std::string bytes = fee::test::history_file(fee::test::Layout::QuotedWithTitle);
        const QString path = program.folder() + QStringLiteral("/約定履歴.csv");
        QFile history(path);
        QVERIFY(history.open(QIODevice::WriteOnly));
        history.write(bytes.data(), static_cast<qint64>(bytes.size()));
        history.close();
        // What the window must show: the core's own ranking of the file.
        const auto read = fee::read_history(bytes, path);
        QVERIFY(read);
        const auto costs = fee::price_history(program.table(), read.value());
        QVERIFY(costs && !costs.value().empty());

        program.prompter().script({fee::test::answer_open_path(path)});
        fee::test::ModalScript script(
            {{QStringLiteral("replay_window"), [&](QWidget* w) {
                  QVERIFY(w->windowTitle().contains(QStringLiteral("約定履歴.csv")));
                  auto* ranking = fee::test::child<QTableWidget>(w, QStringLiteral("ranking"));
                  QVERIFY(ranking);
                  QTRY_COMPARE(ranking->rowCount(), static_cast<int>(costs.value().size()));
                  for (int r = 0; r < ranking->rowCount(); ++r) {
                      const fee::ReplayCost& c = costs.value()[static_cast<std::size_t>(r)];
                      QStringList cells;
                      for (int col = 0; col < ranking->columnCount(); ++col)
                          cells << ranking->item(r, col)->text();
                      QVERIFY2(cells.contains(fee::decode_cp932(program.table().broker(c.broker).name)),
                               qPrintable(cells.join(u' ')));
                      QVERIFY2(cells.contains(fee::currency_form(c.total)), qPrintable(cells.join(u' ')));
                  }
                  w->close();
              }}});
        QTest::keyClick(&program.window(), Qt::Key_R, Qt::ControlModifier);
        QVERIFY2(script.finish(), qPrintable(script.failure()));
        QVERIFY2(program.prompter().finish(), qPrintable(program.prompter().failure()));
        // Reading writes nothing: the data file is as it was.
        QCOMPARE(fee::test::read_data_file_bytes(), std::optional<QByteArray>(data));
        program.tear_down();
    }

private:
    QTemporaryDir settings_;
};

QTEST_MAIN(ReplayWindowTest)
#include "replay_window_test.moc"
