#include "cli/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "cli/commands/command.h"
#include "core/datafile/data_file.h"
#include "core/fees/preset_plans.h"

namespace fee {
namespace {

// The parser is our own rather than QCommandLineParser: --row takes two
// values, "-1" must stay a row instead of turning into an option, "--format=csv"
// and "-abc" are refused, and every error is in the companion's own words.

using Result = std::optional<Usage>;
using Values = std::span<const std::string>;

Result check_preset(const std::string& key)
{
    if (preset_plan_by_key(key))
        return {};
    std::vector<std::string_view> keys;
    for (const PresetPlan& p : preset_plans())
        keys.push_back(p.key);
    return Usage{"--preset の名前が違います: 「" + key + "」（" + joined(keys, ", ") + " のどれか）"};
}

Result check_format(const std::string& name)
{
    if (format_named(name))
        return {};
    return Usage{"--format は table, csv, json のどれかです: 「" + name + "」"};
}

} // namespace

const OptionSpec kHelpOption{.name = "--help", .help = "この説明", .alias = "-h"};
const OptionSpec kVersionOption{.name = "--version", .help = "バージョンを表示"};
const OptionSpec kDataOption{
    .name = "--data", .values = "FILE", .help = "データファイル (既定: カレントディレクトリの compare.dat)"};

const OptionSpec kRowOption{.name = "--row",
                            .values = "AMOUNT COUNT",
                            .help = "取引計画の 1 行 (1 回の金額と年間の回数)。5 回まで、\n"
                                    "書いた順に 1〜5 行目になります。足りない行は 0 × 0 です。\n"
                                    "金額は \"1,000,000\" や \"¥1,000,000\" も可、回数の小数は偶数丸め。",
                            .missing = "--row には金額と回数の 2 つの値が必要です。",
                            .repeats = true};
const OptionSpec kPresetOption{.name = "--preset",
                               .values = "NAME",
                               .help = "既定の取引計画を使う (--row とは併用不可)",
                               .check = check_preset};
const OptionSpec kFormatOption{.name = "--format",
                               .values = "FORMAT",
                               .help = "table (既定, 人が読む表), csv, json",
                               .check = check_format,
                               .fallback = "table"};
const OptionSpec kDailyOption{
    .name = "--daily",
    .values = "FILE",
    .help = "1日定額のプランのファイル\n"
            "(既定: --data のファイルと同じフォルダーの daily-plans.json。なければプランなし)"};

namespace {

constexpr std::array<const OptionSpec*, 3> kCommonOptions{&kHelpOption, &kVersionOption, &kDataOption};

bool common(const OptionSpec* option)
{
    return std::ranges::find(kCommonOptions, option) != kCommonOptions.end();
}

bool takes(const Command& command, const OptionSpec& option)
{
    return std::ranges::find(command.options, &option) != command.options.end();
}

// The common options, then the others in the order the commands first list them.
const std::vector<const OptionSpec*>& all_options()
{
    static const std::vector<const OptionSpec*> options = [] {
        std::vector<const OptionSpec*> out(kCommonOptions.begin(), kCommonOptions.end());
        for (const Command* command : all_commands())
            for (const OptionSpec* option : command->options)
                if (std::ranges::find(out, option) == out.end())
                    out.push_back(option);
        return out;
    }();
    return options;
}

std::size_t value_count(const OptionSpec& option)
{
    return option.values.empty() ? 0 : static_cast<std::size_t>(std::ranges::count(option.values, ' ')) + 1;
}

// "--from, --to は cheapest でだけ使えます。": every option that goes with the same commands.
std::string misplaced(const OptionSpec& option)
{
    const std::vector<std::string_view> commands = commands_taking(option);
    std::vector<std::string_view> names;
    for (const OptionSpec* other : all_options())
        if (!common(other) && commands_taking(*other) == commands)
            names.push_back(other->name);
    return joined(names, ", ") + " は " + joined(commands, " と ") + " でだけ使えます。";
}

Result check_operands(const Command& command, const std::vector<std::string>& operands)
{
    const std::span<const std::string_view> wanted = command.operands;
    if (operands.size() > wanted.size())
        return Usage{"余分な引数があります: 「" + operands[wanted.size()] + "」"};
    if (operands.size() < wanted.size())
        return Usage{std::string(command.name) + " には " + joined(wanted, " ") + " が必要です（" +
                     std::string(wanted[operands.size()]) + " がありません）。"};
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (is_row_operand(wanted[i]) && !whole_number(operands[i]))
            return Usage{std::string(wanted[i]) + " は 0 から数えた表の番号 (整数) です: 「" + operands[i] +
                         "」"};
    }
    return {};
}

// The command and the options that go with it.
Result check_combination(Options& o)
{
    std::vector<std::string_view> names;
    for (const Command* c : all_commands()) {
        names.push_back(c->name);
        if (c->name == o.command_name)
            o.command = c;
    }
    if (!o.command)
        return Usage{o.command_name.empty() ? "COMMAND がありません (" + joined(names, ", ") + ")。"
                                            : "知らない COMMAND です: 「" + o.command_name + "」"};
    if (auto u = check_operands(*o.command, o.operands))
        return u;
    for (const OptionSpec* option : all_options())
        if (!common(option) && !takes(*o.command, *option) && o.has(*option))
            return Usage{misplaced(*option)};
    const std::size_t rows = o.values(kRowOption).size() / 2;
    if (rows > kPlanRows)
        return Usage{"--row は 5 回までです。"};
    if (rows > 0 && o.has(kPresetOption))
        return Usage{"--row と --preset は一緒に使えません。"};
    return {};
}

const OptionSpec* option_named(const std::string& name)
{
    for (const OptionSpec* option : all_options())
        if (option->name == name || (!option->alias.empty() && option->alias == name))
            return option;
    return nullptr;
}

} // namespace

bool Options::has(const OptionSpec& option) const
{
    const auto it = given.find(&option);
    return it != given.end() && (option.fallback.empty() || it->second.front() != option.fallback);
}

std::optional<std::string> Options::value(const OptionSpec& option) const
{
    const auto it = given.find(&option);
    if (it == given.end() || it->second.empty())
        return std::nullopt;
    return it->second.front();
}

std::vector<std::string> Options::values(const OptionSpec& option) const
{
    const auto it = given.find(&option);
    return it == given.end() ? std::vector<std::string>{} : it->second;
}

std::string Options::data() const
{
    return value(kDataOption).value_or(kDataFileName);
}

Format Options::format() const
{
    return *format_named(value(kFormatOption).value_or(std::string(kFormatOption.fallback)));
}

std::vector<std::string_view> commands_taking(const OptionSpec& option)
{
    std::vector<std::string_view> names;
    for (const Command* command : all_commands())
        if (takes(*command, option))
            names.push_back(command->name);
    return names;
}

std::string joined(std::span<const std::string_view> parts, std::string_view separator)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out.append(i > 0 ? separator : "").append(parts[i]);
    return out;
}

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
            const std::size_t count = value_count(*option);
            if (args.size() - i - 1 < count)
                return Usage{option->missing.empty() ? a + " の後に値がありません。"
                                                     : std::string(option->missing)};
            const Values values = Values(args).subspan(i + 1, count);
            for (const std::string& value : values)
                if (auto u = option->check ? option->check(value) : std::nullopt)
                    return u;
            std::vector<std::string>& kept = o.given[option];
            if (!option->repeats)
                kept.clear();
            kept.insert(kept.end(), values.begin(), values.end());
            i += count;
        } else if (a.starts_with('-') && !whole_number(a)) {
            return Usage{"知らないオプションです: 「" + a + "」"};
        } else if (o.command_name.empty()) {
            o.command_name = a;
        } else {
            o.operands.push_back(a);
        }
    }
    if (o.has(kHelpOption) || o.has(kVersionOption))
        return std::nullopt;
    return check_combination(o);
}

} // namespace fee
