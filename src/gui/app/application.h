#pragma once

#include "core/document/data_location.h"

class QApplication;

namespace fee {

class DataDocument;
namespace ui {
class Prompter;
}

// The whole run of the program on an existing application object: the
// document on the compare.dat that `folder` selects, the main window's load
// step, the event loop. Returns the exit status: non-zero when compare.dat
// could not be read at start, or when a signal's close could not save all.
int run_fee_compare(QApplication& app, DataFolder folder = DataFolder::Current);

// Opens the document as the program does at start. A refusal is shown in a
// message, with what to do about it, printed on standard error and answered
// with false; nothing is written then.
bool open_document(DataDocument& document, const DataLocation& where, ui::Prompter& prompter);

} // namespace fee
