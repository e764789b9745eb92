#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output.h"

namespace fee {

struct Command;

// A usage error, reported with exit status 2.
struct Usage {
    std::string message;
};

// One option of the command line, with what --help says of it.
struct OptionSpec {
    std::string_view name;
    std::string_view values = {}; // the names of the arguments after it that are its own, one word each
    std::string_view help = {};   // lines after the first go under it in --help
    std::string_view alias = {};
    std::string_view missing = {}; // where "の後に値がありません" does not say enough
    // Refuses a value where it stands on the line, before the command is known.
    std::optional<Usage> (*check)(const std::string& value) = nullptr;
    std::string_view fallback = {}; // a value that says no more than leaving the option out
    bool repeats = false;           // each use adds its values instead of replacing the last ones
};

// The options every command takes.
extern const OptionSpec kHelpOption;
extern const OptionSpec kVersionOption;
extern const OptionSpec kDataOption;

// Options that commands share: they list the ones they take.
extern const OptionSpec kRowOption;
extern const OptionSpec kPresetOption;
extern const OptionSpec kFormatOption;
extern const OptionSpec kDailyOption;

// What the command line asks for. `command` and `operands` are checked
// against each other unless --help or --version is given.
struct Options {
    std::string command_name;
    const Command* command = nullptr;
    std::vector<std::string> operands; // after the command: ROW, NAME, TO, HISTORY
    // The values of each option's last use; of every use where it repeats.
    std::map<const OptionSpec*, std::vector<std::string>> given;

    // Given, and not only as its fallback.
    bool has(const OptionSpec& option) const;
    std::optional<std::string> value(const OptionSpec& option) const;
    std::vector<std::string> values(const OptionSpec& option) const;
    std::string data() const;
    Format format() const;
};

// Fills `o` from the arguments after the program's name; the first usage
// error otherwise.
std::optional<Usage> parse_options(const std::vector<std::string>& args, Options& o);

// The commands that list `option`, in the order --help gives them.
std::vector<std::string_view> commands_taking(const OptionSpec& option);

// "check, normalize, compare": names as the messages and the help list them.
std::string joined(std::span<const std::string_view> parts, std::string_view separator);

// A row as the command line gives it: digits, with a minus sign at most, so
// that "-1" is a row that does not exist rather than an unknown option. Rows
// beyond the 64-bit range count as its ends; they are out of the table either
// way.
std::optional<std::int64_t> whole_number(const std::string& text);

} // namespace fee
