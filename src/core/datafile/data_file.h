#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <string>

class QIODevice;

#include "core/fees/broker_table.h"
#include "core/outcome.h"
#include "core/storage/safe_save.h"
#include "core/storage/side_file.h"

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
// the count asks for, each within its limit. Any bytes load as a name; where
// names read like Japanese written in UTF-8, `warning` (when given) receives a
// message that says so, with the command that converts such a file.
Status<> read_data_file(const QString& path, BrokerTable& table, std::string* warning = nullptr);
// The same from an open, seekable device; messages name the file `path`.
Status<> read_data_file(QIODevice& file, const QString& path, BrokerTable& table,
                        std::string* warning = nullptr);

// Whether a link at the data file's own name is followed: a name the user
// gave may be a link of theirs; the real path found from it may not.
enum class LinkAtName { Follow, Refuse };

// The data file opened for reading without blocking: a FIFO, a device or a
// folder at its name is refused, never waited on. The message names the file
// and why.
Outcome<UniqueFd> open_data_file(const QString& path, LinkAtName links);

// The exact bytes of the file: CP932, CR LF after every line.
// Refuses a name with a line break, which would shift every later line.
Outcome<std::string> serialize_data_file(const BrokerTable& table);

// Writes those bytes to an open device; a short or failed write is an error.
Status<> write_data_file(QIODevice& device, const BrokerTable& table);

// Saves the table's bytes as save_bytes saves them.
Status<> save_data_file(const QString& path, const BrokerTable& table, const SaveOptions& options = {});

} // namespace fee
