#pragma once

#include <ostream>
#include <span>
#include <string_view>

#include "cli/options.h"

namespace fee {

// One command of the companion: what the parser, --help and the run need of it.
struct Command {
    std::string_view name;
    // "ROW" and "TO" are rows of the table; any other operand is text (a name, a file).
    std::span<const std::string_view> operands = {};
    // Besides --help, --version and --data. When several options are out of
    // place, the one reported first is the one the commands list first.
    std::span<const OptionSpec* const> options = {};
    std::string_view help; // lines after the first go under it in --help
    // The exit status; nothing reaches `out` unless the command succeeds.
    int (*run)(const Options& o, std::ostream& out, std::ostream& err);
};

inline bool is_row_operand(std::string_view operand)
{
    return operand == "ROW" || operand == "TO";
}

// Every command, in the order --help lists them.
std::span<const Command* const> all_commands();

} // namespace fee
