#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "core/outcome.h"

namespace fee {

class BrokerTable;

// Renaming, removing and reordering the brokers, for the window's list and the
// companion alike. Rows count from 0, as in the table; they are taken as wide
// as the companion's command line gives them, so that a refusal quotes the row
// that was asked for. A refusal is a message in the user's words and leaves the
// table exactly as it was.

// A name the user typed, checked as the add dialog checks it, as the CP932
// bytes to store: not empty, at most kMaxNameCharacters characters, one line,
// and only characters the file's code page holds.
Outcome<std::string> encode_broker_name(const QString& typed);

// Gives row `row` the name `name`, CP932 bytes as encode_broker_name() makes them.
Status<> rename_broker(BrokerTable& table, std::int64_t row, std::string name);

// Takes row `row` out of the list; the rows after it move up by one. The last
// broker is never removed: the table is never empty.
Status<> remove_broker(BrokerTable& table, std::int64_t row);

// Moves row `row` to row `to`; the rows in between shift by one towards the
// place it left, as when it is moved up or down one step at a time.
Status<> move_broker(BrokerTable& table, std::int64_t row, std::int64_t to);

} // namespace fee
