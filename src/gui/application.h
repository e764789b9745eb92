#pragma once

#include "core/data_location.h"

class QApplication;

namespace fee {

// The whole run of the program on an existing application object: the broker
// table on the compare.dat that `folder` selects, the main window's load step,
// the event loop. Returns the exit status: non-zero when compare.dat could not
// be read at start.
int run_fee_compare(QApplication& app, DataFolder folder = DataFolder::Current);

} // namespace fee
