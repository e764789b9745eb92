#include "cli/cli.h"

#include <QString>
#include <algorithm>

#include "cli/commands/command.h"
#include "cli/options.h"
#include "cli/output.h"
#include "core/fees/preset_plans.h"
#include "core/version.h"

namespace fee {
namespace {

// The help around what the commands and options say of themselves.
constexpr const char* kUsageStart =
    R"(使い方: fee-compare-cli COMMAND [ARGUMENTS] [OPTIONS]

証券会社の手数料データ compare.dat (Shift_JIS, CR LF) を調べ、整え、証券会社の一覧を編集し、
年間の手数料や、実際の取引履歴にかかる手数料を比較します。

COMMAND:
)";

constexpr const char* kCommandNotes =
    R"(                        ROW と TO は compare の row と同じ表の番号 (0 から) です。NAME は UTF-8 で書き、
                        ファイルの文字コード (Shift_JIS) にある文字だけが使えます。
                        HISTORY は取引履歴の CSV ファイルで、replay は何も書き込みません。
                        rename, remove, move, normalize は、プログラムがそのファイルを開いている間は
                        何も変えずに終了コード 1 で終わります。

OPTIONS:
)";

constexpr const char* kUsageEnd = R"(
出力 (csv): 見出し行 row,name,cost,yen の後に 1 社 1 行。row は表の番号 (0 から)、
name は証券会社名 (UTF-8)、cost は正確な年間費用 (例 441499.9883)、yen は円表示 (例 ¥441,500)。
= + - @ かタブか CR で始まる名前は、表計算ソフトが式として実行しないよう先頭に ' を付けます。
json は同じ項目を持つオブジェクトの配列です。
1日定額のプラン (--daily) は証券会社の後にファイルの順で加わり、row は D0, D1, … です
(json では文字列 "D0")。compare では取引の予定の 1 回ごとに 1 日、cheapest と accounts では
1 日 1 回の取引として、replay では約定日ごとの合計に 1 回の手数料として計算します。
cheapest の csv: 見出し行 from,to,row,name,commission_from,commission_to の後に 1 範囲 1 行。
from と to は範囲の最初と最後の金額、row と name はその範囲で最も安い証券会社、
commission_from と commission_to は両端の金額での正確な手数料 (例 11500, 3451.15)。
accounts の csv: 見出し行 accounts,total,rows,names の後に、組み合わせのある口座の数ごとに 1 行。
total は正確な年間の合計、rows と names は口座の番号と名前を ; でつないだもの。json はさらに
yen (円表示)、saving (1 社のときより安くなる額)、takers (取引の予定の各行を取引する口座の番号、
回数 0 の行は null) を持ちます。
replay の csv: 見出し行 row,name,trades,commission,yearly_fees,total,yen の後に、合計の安い順に
1 社 1 行 (同額は表の順)。trades は試算した取引の数、commission は手数料の合計、yearly_fees は
維持費の合計、total はその和。--details を付けると、空行の後に見出し line,date,amount,0,1,… で
取引ごとに 1 行 (行番号、約定日、約定代金、表の番号ごとの手数料) が続きます。json は brokers
(同じ項目の配列)、summary (読んだファイル、文字コード、見出しの行と列、行の数、除いた行、
読めない行、履歴の手数料の列の合計 paid) と、--details では details を持つ 1 つのオブジェクトです。
--details の 1日定額の列は、その日の手数料をその日の最初の取引の行に、ほかの行は 0 です。
plans の csv: 見出し行 row,name,yearly_fee,tiers,above_per,above_fee,maximum の後に 1 プラン 1 行。
tiers は段階の up_to:fee を ; でつないだもの、above_per と above_fee は最後の段階より上の刻みと
その手数料、maximum は 1 日の上限 (ないものは空)。json は tiers を {up_to, fee} の配列、above を
{per, fee} (なければ null) で持ちます。

終了コード: 0 成功、1 データ・数値・桁あふれの誤り、ない番号、使えない名前、最後の 1 社の削除、
ファイルがほかで開かれている、取引履歴が読めない・見出しがない・現物株の取引がない、
1日定額のプランのファイルが読めない・正しくない・--daily のファイルがない
(標準エラーに理由)、2 使い方の誤り。
失敗したコマンドがデータファイルを作ったり変えたりすることはありません。
)";

// The shared options around the commands' own, in the order the help gives them.
constexpr const OptionSpec* kOptionsFirst[] = {&kDataOption, &kDailyOption, &kRowOption, &kPresetOption};
constexpr const OptionSpec* kOptionsAfter[] = {&kFormatOption};
constexpr const OptionSpec* kOptionsLast[] = {&kHelpOption, &kVersionOption};

// "  rename ROW NAME       番号 ROW の…": the lines of `help` in a column of their own.
std::string entry(const std::string& synopsis, std::string_view help)
{
    constexpr std::size_t kColumn = 24;
    std::string text = "  " + synopsis;
    // A synopsis too long for its column still keeps two blanks before the help.
    text.append(kColumn - std::min(text.size(), kColumn - 2), ' ');
    for (std::size_t start = 0, line = 0;; ++line) {
        const std::size_t end = help.find('\n', start);
        text.append(line > 0 ? kColumn : 0, ' ').append(help.substr(start, end - start)).append("\n");
        if (end == std::string_view::npos)
            return text;
        start = end + 1;
    }
}

std::string entry(const Command& command)
{
    std::string synopsis(command.name);
    for (const std::string_view operand : command.operands)
        synopsis.append(" ").append(operand);
    return entry(synopsis, command.help);
}

// An option that not every command takes names those that do.
std::string entry(const OptionSpec& option)
{
    std::string synopsis(option.name);
    if (!option.values.empty())
        synopsis.append(" ").append(option.values);
    const std::vector<std::string_view> commands = commands_taking(option);
    return entry(synopsis, commands.empty() ? std::string(option.help)
                                            : joined(commands, ", ") + ": " + std::string(option.help));
}

// "--" matters to the commands whose operands could start with a minus.
std::string end_of_options_entry()
{
    std::vector<std::string_view> commands, operands;
    for (const Command* command : all_commands()) {
        if (!command->operands.empty())
            commands.push_back(command->name);
        for (const std::string_view operand : command->operands)
            if (std::ranges::find(operands, operand) == operands.end())
                operands.push_back(operand);
    }
    return entry("--", joined(commands, ", ") + ": 以降をすべて " + joined(operands, ", ") +
                           " として読む (- で始まる名前に)");
}

// A plan's label is the two style answers that choose it; names, labels and
// amounts stand in the columns of the text around them.
std::string preset_lines()
{
    std::string text;
    for (const bool high : {false, true}) {
        for (const bool frequent : {false, true}) {
            const PresetPlan& plan = preset_plan(high, frequent);
            const std::string label =
                std::string(high ? "高額" : "低額") + "・" + (frequent ? "頻繁" : "たまに");
            text += std::string(26, ' ') + std::string(plan.key) + std::string(17 - plan.key.size(), ' ') +
                    label + std::string(15 - display_width(QString::fromStdString(label)), ' ');
            for (int r = 0; r < kPlanRows; ++r)
                text += (r > 0 ? " " : "") + std::string(plan.amount[r]) + "×" + std::string(plan.count[r]);
            text += "\n";
        }
    }
    return text;
}

// An option of a single command; the help gives these between the shared ones.
bool own(const OptionSpec* option)
{
    const auto in = [option](std::span<const OptionSpec* const> list) {
        return std::ranges::find(list, option) != list.end();
    };
    return !in(kOptionsFirst) && !in(kOptionsAfter) && !in(kOptionsLast);
}

std::string usage()
{
    std::string text = kUsageStart;
    for (const Command* command : all_commands())
        text += entry(*command);
    text += kCommandNotes;
    for (const OptionSpec* option : kOptionsFirst)
        text += entry(*option);
    text += preset_lines();
    for (const Command* command : all_commands())
        for (const OptionSpec* option : command->options)
            if (own(option))
                text += entry(*option);
    for (const OptionSpec* option : kOptionsAfter)
        text += entry(*option);
    text += end_of_options_entry();
    for (const OptionSpec* option : kOptionsLast)
        text += entry(*option);
    return text + kUsageEnd;
}

} // namespace

int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options o;
    if (const auto usage_error = parse_options(args, o)) {
        err << usage_error->message << "\n詳しくは fee-compare-cli --help\n";
        return 2;
    }
    if (o.has(kHelpOption)) {
        out << usage();
        return 0;
    }
    if (o.has(kVersionOption)) {
        out << "fee-compare-cli " << kVersion << "\n";
        return 0;
    }
    return o.command->run(o, out, err);
}

} // namespace fee
