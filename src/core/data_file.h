#pragma once

#include <QString>
#include <cstddef>
#include <string>

class QIODevice;

#include "core/broker_table.h"
#include "core/outcome.h"

namespace fee {

inline constexpr const char* kDataFileName = "compare.dat";

// Number of lines the file holds for `brokers` brokers.
constexpr int data_file_lines(int brokers)
{
    return 1 + 21 * brokers;
}

// The longest name the add dialog takes, and so the longest name line a file
// written by the program holds: every character is at most two bytes in CP932.
inline constexpr int kMaxNameCharacters = 32767;
inline constexpr std::size_t kMaxNameBytes = 2 * kMaxNameCharacters;

// The longest numeric line: room for any number text with blanks, signs, yen
// sign and separators, full-width forms included, and far below a name's limit,
// so that a file of junk is refused after a few hundred bytes.
inline constexpr std::size_t kMaxNumberLineBytes = 256;

// Loads the file into `table`. On any failure the table is left
// exactly as it was and the message names the file, the line and the text.
// Reading never writes. Lines end at CR LF, a lone CR or a lone LF; lines after
// the last one the count needs are ignored. A line over its limit is refused
// without reading the rest of it, so a file costs at most the 1 + 21n lines
// the count asks for, each within its limit.
Status<> read_data_file(const QString& path, BrokerTable& table);

// The exact bytes of the file: CP932, CR LF after every line.
// Refuses a name with a line break, which would shift every later line.
Outcome<std::string> serialize_data_file(const BrokerTable& table);

// Writes those bytes to an open device; a short or failed write is an error.
Status<> write_data_file(QIODevice& device, const BrokerTable& table);

// Replaces the file atomically. Either the whole new content is in place, or
// the previous file is untouched and the error says why. Only where the folder
// refuses a new file beside it is the file rewritten in place.
Status<> save_data_file(const QString& path, const BrokerTable& table);

} // namespace fee
