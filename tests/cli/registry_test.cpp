#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "cli/commands/command.h"

using namespace fee;

// A name used twice leaves one of its commands or options unreachable; an
// option the help does not place shows up once for every command that lists it.
TEST(CliRegistry, EachCommandAndOptionHasItsOwnNameAndOneLineInTheHelp)
{
    std::ostringstream help, err;
    ASSERT_EQ(run_cli({"--help"}, help, err), 0);
    const auto lines_starting = [&help](std::string_view name) {
        const std::string text = help.str(), start = "\n  " + std::string(name) + " ";
        std::size_t n = 0;
        for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1))
            ++n;
        return n;
    };
    std::set<std::string_view> commands;
    std::map<std::string_view, const OptionSpec*> options;
    for (const OptionSpec* common : {&kHelpOption, &kVersionOption, &kDataOption})
        options.emplace(common->name, common);
    for (const Command* command : all_commands()) {
        EXPECT_TRUE(commands.insert(command->name).second) << command->name;
        EXPECT_EQ(lines_starting(command->name), 1u) << command->name;
        for (const OptionSpec* option : command->options) {
            EXPECT_EQ(options.emplace(option->name, option).first->second, option) << option->name;
            EXPECT_EQ(lines_starting(option->name), 1u) << option->name;
        }
    }
}
