#include "main_window/run_fee_compare.h"

#include <QApplication>

#include "broker_table/broker_table.h"
#include "main_window/fee_compare.h"

namespace fee {

int run_fee_compare(QApplication& app)
{
    // The one broker table of the run; every window works on it by reference.
    BrokerTable table;
    fee_compare window(table);
    if (!window.Form_Load())
        return 1;
    window.show();
    return app.exec();
}

} // namespace fee
