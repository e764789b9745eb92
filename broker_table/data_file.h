#pragma once

#include <QString>
#include <functional>
#include <string>

#include "broker_table/broker_table.h"
#include "broker_table/result.h"

namespace fee {

inline constexpr const char* kDataFileName = "compare.dat";

// Number of lines the file holds for `brokers` brokers.
constexpr int data_file_lines(int brokers)
{
    return 1 + 21 * brokers;
}

// The steps of a save, so that tests can make each one fail in turn.
enum class SaveStep { Open, Write, Flush, Commit };
using SaveFault = std::function<bool(SaveStep step, int line)>;

// z_read_file: loads the file into `table`. On any failure the table is left
// exactly as it was and the message names the file, the line and the text.
// Reading never writes. Lines end at CR LF, a lone CR or a lone LF; lines after
// the last one the count needs are ignored.
Status<> read_data_file(const QString& path, BrokerTable& table);

// The exact bytes that z_write_file stores: CP932, CR LF after every line.
// Refuses a name with a line break, which would shift every later line.
Result<std::string> serialize_data_file(const BrokerTable& table);

// z_write_file: replaces the file atomically. Either the whole new content is
// in place, or the previous file is untouched and the error says why.
Status<> write_data_file(const QString& path, const BrokerTable& table, const SaveFault& fault = {});

} // namespace fee
