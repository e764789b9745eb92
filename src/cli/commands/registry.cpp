#include "cli/commands/command.h"

// The companion's commands, in the order --help lists them: a line each,
// naming the command defined in the file of that name.
// clang-format off
#define FEE_CLI_COMMANDS(command) \
    command(check)                \
    command(normalize)            \
    command(compare)              \
    command(cheapest)             \
    command(accounts)             \
    command(replay)               \
    command(plans)                \
    command(rename)               \
    command(remove)               \
    command(move)
// clang-format on

namespace fee {

namespace commands {
#define FEE_CLI_DECLARE(name) extern const Command name;
FEE_CLI_COMMANDS(FEE_CLI_DECLARE)
} // namespace commands

std::span<const Command* const> all_commands()
{
#define FEE_CLI_ADDRESS(name) &commands::name,
    static constexpr const Command* kCommands[] = {FEE_CLI_COMMANDS(FEE_CLI_ADDRESS)};
    return kCommands;
}

} // namespace fee
