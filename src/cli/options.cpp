#include "cli/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <span>
#include <string_view>

#include "core/fees/broker_table.h"

namespace fee {
namespace {

// The parser is our own rather than QCommandLineParser: --row takes two
// values, "-1" must stay a row instead of turning into an option, "--format=csv"
// and "-abc" are refused, and every error is in the companion's own words.

using Result = std::optional<Usage>;
using Values = std::span<const std::string>;
using Commands = unsigned;

constexpr Commands of(Command c)
{
    return 1u << static_cast<unsigned>(c);
}
constexpr Commands kAllCommands = ~0u;

struct CommandSpec {
    std::string_view name;
    Command command;
    std::vector<std::string_view> operands;
};

const std::array<CommandSpec, 8> kCommands{{
    {"check", Command::Check, {}},
    {"normalize", Command::Normalize, {}},
    {"compare", Command::Compare, {}},
    {"cheapest", Command::Cheapest, {}},
    {"accounts", Command::Accounts, {}},
    {"rename", Command::Rename, {"ROW", "NAME"}},
    {"remove", Command::Remove, {"ROW"}},
    {"move", Command::Move, {"ROW", "TO"}},
}};

std::string joined(const std::vector<std::string_view>& parts, std::string_view separator)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out.append(i > 0 ? separator : "").append(parts[i]);
    return out;
}

enum class Option { Help, Version, Data, Row, Preset, Sort, Format, From, To, Max };

struct OptionSpec {
    std::string_view name;
    Option option;
    std::size_t values;            // how many of the arguments after it are its own
    Commands commands;             // the commands that take it
    std::string_view missing = {}; // where "の後に値がありません" does not say enough
};

// In the order in which a misplaced option is reported.
const std::array<OptionSpec, 11> kOptions{{
    {"--help", Option::Help, 0, kAllCommands},
    {"-h", Option::Help, 0, kAllCommands},
    {"--version", Option::Version, 0, kAllCommands},
    {"--data", Option::Data, 1, kAllCommands},
    {"--row", Option::Row, 2, of(Command::Compare) | of(Command::Accounts),
     "--row には金額と回数の 2 つの値が必要です。"},
    {"--preset", Option::Preset, 1, of(Command::Compare) | of(Command::Accounts)},
    {"--sort", Option::Sort, 0, of(Command::Compare)},
    {"--format", Option::Format, 1, of(Command::Compare) | of(Command::Cheapest) | of(Command::Accounts)},
    {"--from", Option::From, 1, of(Command::Cheapest)},
    {"--to", Option::To, 1, of(Command::Cheapest)},
    {"--max", Option::Max, 1, of(Command::Accounts)},
}};

Result store_preset(Options& o, const std::string& key)
{
    o.preset = preset_plan_by_key(key);
    if (o.preset)
        return {};
    std::vector<std::string_view> keys;
    for (const PresetPlan& p : preset_plans())
        keys.push_back(p.key);
    return Usage{"--preset の名前が違います: 「" + key + "」（" + joined(keys, ", ") + " のどれか）"};
}

// At least one account; more than there are brokers means all of them.
Result store_max(Options& o, const std::string& text)
{
    const auto k = whole_number(text);
    if (!k || *k < 1)
        return Usage{"--max は 1 以上の口座の数です: 「" + text + "」"};
    o.max_accounts = static_cast<int>(std::min<std::int64_t>(*k, kMaxBrokers));
    return {};
}

Result store_format(Options& o, const std::string& name)
{
    const auto format = format_named(name);
    if (!format)
        return Usage{"--format は table, csv, json のどれかです: 「" + name + "」"};
    o.format = *format;
    return {};
}

Result store(Options& o, Option option, Values v)
{
    switch (option) {
    case Option::Help:
        o.help = true;
        break;
    case Option::Version:
        o.version = true;
        break;
    case Option::Data:
        o.data = v[0];
        break;
    case Option::Row:
        o.rows.emplace_back(v[0], v[1]);
        break;
    case Option::Preset:
        return store_preset(o, v[0]);
    case Option::Sort:
        o.sort = true;
        break;
    case Option::Format:
        return store_format(o, v[0]);
    case Option::From:
        o.from = v[0];
        break;
    case Option::To:
        o.to = v[0];
        break;
    case Option::Max:
        return store_max(o, v[0]);
    }
    return {};
}

// Whether the line set the option; "--format table" is no more than the default.
bool given(const Options& o, Option option)
{
    switch (option) {
    case Option::Row:
        return !o.rows.empty();
    case Option::Preset:
        return o.preset != nullptr;
    case Option::Sort:
        return o.sort;
    case Option::Format:
        return o.format != Format::Table;
    case Option::From:
        return o.from.has_value();
    case Option::To:
        return o.to.has_value();
    case Option::Max:
        return o.max_accounts.has_value();
    case Option::Help:
    case Option::Version:
    case Option::Data:
        break;
    }
    return false;
}

// "--from, --to は cheapest でだけ使えます。": every option that goes with the same commands.
std::string misplaced(const OptionSpec& option)
{
    std::vector<std::string_view> names, commands;
    for (const OptionSpec& s : kOptions)
        if (s.commands == option.commands)
            names.push_back(s.name);
    for (const CommandSpec& c : kCommands)
        if (option.commands & of(c.command))
            commands.push_back(c.name);
    return joined(names, ", ") + " は " + joined(commands, " と ") + " でだけ使えます。";
}

Result check_operands(const CommandSpec& command, const std::vector<std::string>& operands)
{
    const std::vector<std::string_view>& wanted = command.operands;
    if (operands.size() > wanted.size())
        return Usage{"余分な引数があります: 「" + operands[wanted.size()] + "」"};
    if (operands.size() < wanted.size())
        return Usage{std::string(command.name) + " には " + joined(wanted, " ") + " が必要です（" +
                     std::string(wanted[operands.size()]) + " がありません）。"};
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (wanted[i] != "NAME" && !whole_number(operands[i]))
            return Usage{std::string(wanted[i]) + " は 0 から数えた表の番号 (整数) です: 「" + operands[i] +
                         "」"};
    }
    return {};
}

// The command and the options that go with it.
Result check_combination(Options& o)
{
    const CommandSpec* command = nullptr;
    std::vector<std::string_view> names;
    for (const CommandSpec& c : kCommands) {
        names.push_back(c.name);
        if (c.name == o.command_name)
            command = &c;
    }
    if (!command)
        return Usage{o.command_name.empty() ? "COMMAND がありません (" + joined(names, ", ") + ")。"
                                            : "知らない COMMAND です: 「" + o.command_name + "」"};
    o.command = command->command;
    if (auto u = check_operands(*command, o.operands))
        return u;
    for (const OptionSpec& option : kOptions)
        if (!(option.commands & of(o.command)) && given(o, option.option))
            return Usage{misplaced(option)};
    if (o.rows.size() > kPlanRows)
        return Usage{"--row は 5 回までです。"};
    if (!o.rows.empty() && o.preset)
        return Usage{"--row と --preset は一緒に使えません。"};
    return {};
}

const OptionSpec* option_named(const std::string& name)
{
    for (const OptionSpec& option : kOptions)
        if (option.name == name)
            return &option;
    return nullptr;
}

} // namespace

std::optional<std::int64_t> whole_number(const std::string& text)
{
    const std::size_t digits = text.starts_with('-') ? 1 : 0;
    if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
        return std::nullopt;
    std::int64_t value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc{})
        return digits ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    return value;
}

std::optional<Usage> parse_options(const std::vector<std::string>& args, Options& o)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            o.operands.insert(o.operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                              args.end());
            break;
        }
        if (const OptionSpec* option = option_named(a)) {
            if (args.size() - i - 1 < option->values)
                return Usage{option->missing.empty() ? a + " の後に値がありません。"
                                                     : std::string(option->missing)};
            if (auto u = store(o, option->option, Values(args).subspan(i + 1, option->values)))
                return u;
            i += option->values;
        } else if (a.starts_with('-') && !whole_number(a)) {
            return Usage{"知らないオプションです: 「" + a + "」"};
        } else if (o.command_name.empty()) {
            o.command_name = a;
        } else {
            o.operands.push_back(a);
        }
    }
    if (o.help || o.version)
        return std::nullopt;
    return check_combination(o);
}

} // namespace fee
