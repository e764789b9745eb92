#include "gui/application.h"

#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "core/broker_table.h"
#include "gui/fee_compare.h"
#include "gui/termination.h"

namespace fee {

int run_fee_compare(QApplication& app, DataFolder folder)
{
    // The one broker table of the run; every window works on it by reference.
    BrokerTable table;
    fee_compare window(table);
    // A signal or the end of the desktop session closes the program as its
    // close box does, with nobody there to answer. Watched from the start, so
    // that a signal during the load is answered too, once a loop runs.
    ui::TerminationWatcher termination;
    QObject::connect(&termination, &ui::TerminationWatcher::requested, &window, [&window, &app] {
        const auto closed = window.close_unattended();
        if (!closed)
            std::cerr << closed.error().message << "\n";
        app.exit(closed ? 0 : 1);
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &fee_compare::commit_data,
                     Qt::DirectConnection);
    const auto where = locate_data(folder);
    if (!where) {
        QMessageBox::warning(&window, window.windowTitle(),
                             QString::fromStdString(where.error().message) +
                                 QStringLiteral("\nプログラムを終了します。"));
        return 1;
    }
    window.set_data_location(where.value());
    if (!window.Form_Load())
        return 1;
    window.show();
    return app.exec();
}

} // namespace fee
