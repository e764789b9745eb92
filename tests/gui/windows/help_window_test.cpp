// 目次(&E) as a user meets it: the help opens in the program's own window under
// the document's title, follows its links, is never opened twice and does not
// keep the program running. Where the file is looked for is a core matter.

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "core/document/data_document.h"
#include "core/fees/broker_table.h"
#include "gui/app/application.h"
#include "gui/windows/help_window.h"
#include "gui/windows/main_window.h"
#include "gui_support.h"

using fee::test::ModalScript;
using fee::ui::HelpWindow;

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

void put(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString document_title(const char* file)
{
    QFile f(QString::fromUtf8(file));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<unreadable>");
    const auto match =
        QRegularExpression(QStringLiteral("<title>(.*)</title>")).match(QString::fromUtf8(f.readAll()));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("<no title>");
}

QList<HelpWindow*> help_windows()
{
    QList<HelpWindow*> found;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* help = qobject_cast<HelpWindow*>(top))
            found << help;
    }
    return found;
}

QTextBrowser* browser(HelpWindow* help)
{
    return fee::test::child<QTextBrowser>(help, QStringLiteral("help_browser"));
}

} // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    fee::test::ScriptedPrompter prompter_;
    std::unique_ptr<fee::DataDocument> document_;
    std::unique_ptr<fee::ui::MainWindow> w_;

    QString path(const QString& relative) const { return QDir(tmp_.path()).absoluteFilePath(relative); }

    // The main window on work/compare.dat, with share/ as the installed folder.
    bool start()
    {
        if (!QFile::copy(QStringLiteral(FEE_SAMPLE_DATA), path("work/compare.dat")))
            return false;
        document_ = std::make_unique<fee::DataDocument>(path("work/compare.dat"));
        if (!document_->open())
            return false;
        w_ = std::make_unique<fee::ui::MainWindow>(*document_, prompter_);
        w_->set_data_location({path("work/compare.dat"), path("share")});
        w_->load_table();
        w_->show();
        w_->activateWindow();
        return QTest::qWaitForWindowActive(w_.get());
    }

    // 目次(&E) through the menu, by keyboard.
    void open_contents()
    {
        QVERIFY(fee::test::press_alt(w_.get(), 'h'));
        QTRY_VERIFY(fee::test::menu(w_.get(), "help_menu")->isVisible());
        QTest::keyClick(fee::test::menu(w_.get(), "help_menu"), Qt::Key_E);
        QTRY_VERIFY(!fee::test::menu(w_.get(), "help_menu")->isVisible());
    }

private slots:
    void initTestCase() { fee::test::install_message_filter(); }

    void init()
    {
        QVERIFY(tmp_.isValid());
        QVERIFY(QDir().mkpath(path("work")));
        QVERIFY(QDir().mkpath(path("share")));
    }

    void cleanup()
    {
        ModalScript::close_all_modals();
        w_.reset();
        document_.reset();
        QVERIFY(QDir(tmp_.path()).removeRecursively());
    }

    void contents_opens_one_help_window()
    {
        QVERIFY(QFile::copy(QStringLiteral(FEE_HELP_FILE), path("share/ryoban_h.hlp")));
        QVERIFY(start());
        // The desktop is never asked: it would take *.hlp for Windows Help.
        UrlCatcher desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
        prompter_.script({});
        open_contents();
        QTRY_COMPARE(help_windows().size(), 1);
        QPointer<HelpWindow> help = help_windows().first();
        QVERIFY2(prompter_.finish(), qPrintable(prompter_.failure()));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(desktop.urls, QList<QUrl>());

        QVERIFY(QTest::qWaitForWindowActive(help));
        QCOMPARE(help->windowTitle(), document_title(FEE_HELP_FILE));
        QCOMPARE(browser(help)->source(), QUrl::fromLocalFile(path("share/ryoban_h.hlp")));
        QVERIFY(browser(help)->toPlainText().contains(QStringLiteral("compare.dat")));
        // An ordinary window the user can size, unlike the main window.
        help->resize(420, 300);
        QTRY_COMPARE(help->size(), QSize(420, 300));

        // Again: the same window comes to the front.
        open_contents(); // press_alt activates the main window first
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(help.data()));
        QCOMPARE(help_windows(), QList<HelpWindow*>{help.data()});

        // Once closed, the next 目次 opens it afresh.
        QVERIFY(help->close());
        QTRY_VERIFY(help.isNull());
        open_contents();
        QTRY_COMPARE(help_windows().size(), 1);
        QTRY_VERIFY(help_windows().first()->isVisible());
    }

    void an_open_help_window_does_not_keep_the_program_running()
    {
        // The whole program, on compare.dat in the current folder; the help
        // comes from the source data folder, as for any program of the build tree.
        fee::test::TemporaryWorkingDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(FEE_SAMPLE_DATA), QStringLiteral("compare.dat")));
        bool help_was_open = false;
        QTimer::singleShot(100, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* main = qobject_cast<fee::ui::MainWindow*>(top); main && main->isVisible()) {
                    fee::test::action(main, "help_contents")->trigger();
                    help_was_open = help_windows().size() == 1 && help_windows().first()->isVisible();
                    main->windowHandle()->close();
                }
            }
        });
        QTimer safety; // ends the event loop should the help window hold it
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, qApp, &QCoreApplication::quit);
        safety.start(10000);
        QCOMPARE(fee::run_fee_compare(*qApp), 0);
        QVERIFY(safety.isActive());
        QVERIFY(help_was_open);
        QCOMPARE(help_windows().size(), 0);
    }

    void links_are_followed()
    {
        put(path("share/first.hlp"), "<html><head><title>一ページ目</title></head><body>"
                                     "<p><a href=\"second.html\">次へ</a></p>"
                                     "<p><a href=\"https://example.org/fees\">外へ</a></p></body></html>");
        put(path("share/second.html"), "<html><head><title>二ページ目</title></head><body>二</body></html>");
        QVERIFY(!HelpWindow::open(path("share/none.hlp"), nullptr));
        std::unique_ptr<HelpWindow> help(HelpWindow::open(path("share/first.hlp"), nullptr));
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), QStringLiteral("一ページ目"));
        help->show();
        help->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(help.get()));
        QTextBrowser* browser = ::browser(help.get());
        browser->setFocus();

        // An outside link goes to the desktop; the window stays on its page.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        QTest::keyClick(browser, Qt::Key_Tab);
        QTest::keyClick(browser, Qt::Key_Tab);
        QTest::keyClick(browser, Qt::Key_Return);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/fees"))});
        QCOMPARE(help->windowTitle(), QStringLiteral("一ページ目"));

        // A link to a page of its own is shown here, under that page's title.
        QTest::keyClick(browser, Qt::Key_Backtab);
        QTest::keyClick(browser, Qt::Key_Return);
        QTRY_COMPARE(browser->source(), QUrl::fromLocalFile(path("share/second.html")));
        QCOMPARE(help->windowTitle(), QStringLiteral("二ページ目"));
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("二")));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
