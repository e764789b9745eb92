#include "gui/app/application.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <iostream>

#include "core/document/data_document.h"
#include "gui/app/prompter.h"
#include "gui/app/termination.h"
#include "gui/windows/main_window.h"

namespace fee {
namespace {

bool refuse_start(const QString& text, ui::Prompter& prompter)
{
    std::cerr << text.toStdString() << "\n";
    prompter.inform(text + QStringLiteral("\nプログラムを終了します。"));
    return false;
}

} // namespace

bool open_document(DataDocument& document, const DataLocation& where, ui::Prompter& prompter)
{
    const auto opened = document.open();
    if (opened)
        return true;
    QString text = QString::fromStdString(opened.error().message);
    // A start with no data file: say where a sample is to be had.
    if (!QFileInfo::exists(where.data_file) && !where.shared_dir.isEmpty())
        text += QStringLiteral("\n見本 %1 をここに写すか、メニューから（--user-data で）始めて下さい。")
                    .arg(QDir(where.shared_dir).filePath(QString::fromLatin1(kDataFileName)));
    return refuse_start(text, prompter);
}

int run_fee_compare(QApplication& app, DataFolder folder)
{
    // Watched from the start, so that a signal while the start's message is
    // up ends the program too. Until a table has loaded there is nothing to
    // save, and nothing is written.
    ui::DialogPrompter prompter;
    ui::TerminationWatcher termination;
    auto before_load =
        QObject::connect(&termination, &ui::TerminationWatcher::requested, &app, [&app] { app.exit(1); });
    const auto where = locate_data(folder);
    if (!where) {
        refuse_start(QString::fromStdString(where.error().message), prompter);
        return 1;
    }
    DataDocument document(where->data_file, user_data_dir());
    if (!open_document(document, where.value(), prompter))
        return 1;

    ui::MainWindow window(document, prompter);
    window.set_data_location(where.value());
    // From now on a signal or the end of the desktop session closes the
    // program as its close box does, with nobody there to answer.
    QObject::disconnect(before_load);
    QObject::connect(&termination, &ui::TerminationWatcher::requested, &window, [&window, &app] {
        const auto closed = window.close_unattended();
        if (!closed)
            std::cerr << closed.error().message << "\n";
        app.exit(closed ? 0 : 1);
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &ui::MainWindow::commit_data,
                     Qt::DirectConnection);
    window.load_table();
    window.show();
    // Inside the event loop, so that a signal meanwhile ends that loop.
    for (const std::string& notice :
         {document.load_warning(),
          document.plans_refusal().empty()
              ? std::string()
              : document.plans_refusal() + "1日定額のプランは読み込まず、証券会社だけで試算します。",
          document.unguarded().empty()
              ? std::string()
              : document.unguarded() + "表示と試算はできますが、変更は保存できません。"}) {
        if (!notice.empty())
            QTimer::singleShot(
                0, &window, [&window, text = QString::fromStdString(notice)] { window.show_notice(text); });
    }
    return app.exec();
}

} // namespace fee
