#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/output.h"
#include "core/datafile/data_file.h"
#include "core/fees/preset_plans.h"

namespace fee {

enum class Command { Check, Normalize, Compare, Cheapest, Accounts, Rename, Remove, Move };

// What the command line asks for. `command` and `operands` are checked
// against each other unless `help` or `version` is set.
struct Options {
    std::string command_name;
    Command command = Command::Check;
    std::vector<std::string> operands; // after the command: ROW, NAME, TO
    std::string data = kDataFileName;
    std::vector<std::pair<std::string, std::string>> rows;
    const PresetPlan* preset = nullptr;
    bool sort = false;
    Format format = Format::Table;
    bool help = false;
    bool version = false;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<int> max_accounts; // accounts: 3 unless given
};

// A usage error, reported with exit status 2.
struct Usage {
    std::string message;
};

// Fills `o` from the arguments after the program's name; the first usage
// error otherwise.
std::optional<Usage> parse_options(const std::vector<std::string>& args, Options& o);

// A row as the command line gives it: digits, with a minus sign at most, so
// that "-1" is a row that does not exist rather than an unknown option. Rows
// beyond the 64-bit range count as its ends; they are out of the table either
// way.
std::optional<std::int64_t> whole_number(const std::string& text);

} // namespace fee
