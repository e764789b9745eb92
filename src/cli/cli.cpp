#include "cli/cli.h"

#include <QString>
#include <functional>
#include <numeric>

#include "cli/options.h"
#include "cli/output.h"
#include "core/analysis/accounts.h"
#include "core/analysis/cheapest.h"
#include "core/document/data_document.h"
#include "core/document/data_location.h"
#include "core/editing/broker_list.h"
#include "core/fees/commission.h"
#include "core/fees/cost_messages.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "core/version.h"

namespace fee {
namespace {

// The help, around the preset lines that usage() takes from the preset table.
constexpr const char* kUsageStart =
    R"(使い方: fee-compare-cli COMMAND [ARGUMENTS] [OPTIONS]

証券会社の手数料データ compare.dat (Shift_JIS, CR LF) を調べ、整え、証券会社の一覧を編集し、
年間の手数料を比較します。

COMMAND:
  check                 データファイルを読み込み、正しければ終了コード 0 で終わります。
  normalize             読み込んで書き直します (プログラムを開いて何も変えずに閉じたときと同じ内容)。
                        数値は一般形式 (2000, 0.0115) になり、余分な行は消えます。
  compare               全証券会社の年間費用を計算して表示します。
  cheapest              1 回の取引の手数料がいちばん安い証券会社を、取引金額の範囲ごとに表示します。
                        1 円刻みのどの金額についても正確です (同額は表の順で先の会社)。
  accounts              口座をいくつか持ち、取引の予定の各行をいちばん安い口座で取引するとき、
                        1〜K 社 (--max、既定 3) のそれぞれで年間の合計がいちばん安い組み合わせを
                        表示します。合計は口座の維持費の全部と、各行のいちばん安い手数料×回数です。
                        どの組み合わせについても正確です (同額は表の番号の並びが先の組み合わせ)。
  rename ROW NAME       番号 ROW の証券会社の名前を NAME にします。
  remove ROW            番号 ROW の証券会社を一覧から削除します。後の会社が 1 つずつ前に詰まります。
                        最後の 1 社は削除できません。
  move ROW TO           番号 ROW の証券会社を番号 TO の位置に動かします。間の会社は 1 つずつずれます
                        (プログラムの「上へ」「下へ」を繰り返したのと同じです)。
                        ROW と TO は compare の row と同じ表の番号 (0 から) です。NAME は UTF-8 で書き、
                        ファイルの文字コード (Shift_JIS) にある文字だけが使えます。
                        rename, remove, move, normalize は、プログラムがそのファイルを開いている間は
                        何も変えずに終了コード 1 で終わります。

OPTIONS:
  --data FILE           データファイル (既定: カレントディレクトリの compare.dat)
  --row AMOUNT COUNT    compare, accounts: 取引計画の 1 行 (1 回の金額と年間の回数)。5 回まで、
                        書いた順に 1〜5 行目になります。足りない行は 0 × 0 です。
                        金額は "1,000,000" や "¥1,000,000" も可、回数の小数は偶数丸め。
  --preset NAME         compare, accounts: 既定の取引計画を使う (--row とは併用不可)
)";

constexpr const char* kUsageEnd =
    R"(  --sort                compare: 年間費用の安い順 (同額は表の順) に並べる
  --from AMOUNT         cheapest: 範囲の最初の金額 (既定 1)。円単位の整数、"¥1,000,000" も可
  --to AMOUNT           cheapest: 範囲の最後の金額 (既定 100000000)。--from 以上
  --max K               accounts: 口座の数の上限 (既定 3、1 以上。証券会社の数より多ければ全社)
  --format FORMAT       compare, cheapest, accounts: table (既定, 人が読む表), csv, json
  --                    rename, remove, move: 以降をすべて ROW, NAME, TO として読む (- で始まる名前に)
  --help                この説明
  --version             バージョンを表示

出力 (csv): 見出し行 row,name,cost,yen の後に 1 社 1 行。row は表の番号 (0 から)、
name は証券会社名 (UTF-8)、cost は正確な年間費用 (例 441499.9883)、yen は円表示 (例 ¥441,500)。
= + - @ かタブか CR で始まる名前は、表計算ソフトが式として実行しないよう先頭に ' を付けます。
json は同じ項目を持つオブジェクトの配列です。
cheapest の csv: 見出し行 from,to,row,name,commission_from,commission_to の後に 1 範囲 1 行。
from と to は範囲の最初と最後の金額、row と name はその範囲で最も安い証券会社、
commission_from と commission_to は両端の金額での正確な手数料 (例 11500, 3451.15)。
accounts の csv: 見出し行 accounts,total,rows,names の後に、組み合わせのある口座の数ごとに 1 行。
total は正確な年間の合計、rows と names は口座の番号と名前を ; でつないだもの。json はさらに
yen (円表示)、saving (1 社のときより安くなる額)、takers (取引の予定の各行を取引する口座の番号、
回数 0 の行は null) を持ちます。

終了コード: 0 成功、1 データ・数値・桁あふれの誤り、ない番号、使えない名前、最後の 1 社の削除、
ファイルがほかで開かれている (標準エラーに理由)、2 使い方の誤り。
失敗したコマンドがデータファイルを作ったり変えたりすることはありません。
)";

// A plan's label is the two style answers that choose it; names, labels and
// amounts stand in the columns of the text around them.
std::string usage()
{
    std::string text = kUsageStart;
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
    return text + kUsageEnd;
}

// People read the yen first; csv and json keep their documented order.
constexpr Column kCompareColumns[] = {
    {.key = "row", .kind = CellKind::Number, .heading = "番号", .place = 0, .width = 4},
    {.key = "name", .heading = "証券会社", .place = 3},
    {.key = "cost", .kind = CellKind::Number, .heading = "正確な額", .place = 2, .width = 22},
    {.key = "yen", .kind = CellKind::Figure, .heading = "年間費用", .place = 1, .width = 14},
};

PlanTexts plan_texts(const Options& o)
{
    if (o.preset)
        return o.preset->texts();
    PlanTexts texts;
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        const bool given = r < o.rows.size();
        texts.amount[r] = given ? QString::fromStdString(o.rows[r].first) : QStringLiteral("0");
        texts.count[r] = given ? QString::fromStdString(o.rows[r].second) : QStringLiteral("0");
    }
    return texts;
}

// The plan of --row or --preset; none, and the box it could not read on
// `err`, when a row is not a number.
std::optional<TradePlan> plan_of(const Options& o, std::ostream& err)
{
    const auto plan = parse_plan(plan_texts(o));
    if (!plan) {
        err << "--row: " << plan.error().message() << "\n";
        return std::nullopt;
    }
    return plan.value();
}

int compare(const Options& o, const BrokerTable& table, std::ostream& out, std::ostream& err)
{
    const auto plan = plan_of(o, err);
    if (!plan)
        return 1;
    const auto costs = compute_yearly_costs(table, *plan);
    if (!costs) {
        err << cost_overflow_message(table, costs.error(), *plan) << "\n";
        return 1;
    }
    std::vector<int> order(costs.value().size());
    std::iota(order.begin(), order.end(), 0);
    if (o.sort)
        order = cost_order(costs.value());
    std::vector<Row> rows;
    for (const int b : order) {
        const Money exact = costs.value()[static_cast<std::size_t>(b)];
        rows.push_back({QString::number(b), decode_cp932(table.broker(b).name), general_form(exact),
                        currency_form(exact)});
    }
    out << write_rows(o.format, kCompareColumns, rows);
    return 0;
}

// A range end as the plan's amount boxes read it; only whole yen.
std::optional<std::int64_t> whole_yen(const char* option, const std::string& text, std::ostream& err)
{
    const auto amount = parse_currency(QString::fromStdString(text));
    if (!amount) {
        err << option << ": 金額"
            << (amount.error().kind == ParseError::Kind::OutOfRange ? "が大きすぎます"
                                                                    : "が数値ではありません")
            << ": \"" << text << "\"\n";
        return std::nullopt;
    }
    if (amount.value().units() % Money::kScale != 0) {
        err << option << ": 金額は円単位の整数にして下さい: \"" << text << "\"\n";
        return std::nullopt;
    }
    return amount.value().units() / Money::kScale;
}

// The table shows the range in yen, where the machine formats give plain amounts.
constexpr Column kCheapestColumns[] = {
    {.key = "from", .kind = CellKind::Number},
    {.key = "to", .kind = CellKind::Number},
    {.key = "row", .kind = CellKind::Number, .heading = "番号", .place = 2, .width = 4},
    {.key = "name", .heading = "最も安い証券会社", .place = 5},
    {.key = "commission_from", .kind = CellKind::Number, .heading = "手数料 (最初)", .place = 3, .width = 16},
    {.key = "commission_to", .kind = CellKind::Number, .heading = "手数料 (最後)", .place = 4, .width = 16},
    {.kind = CellKind::Figure, .heading = "から", .place = 0, .width = 16},
    {.kind = CellKind::Figure, .heading = "まで", .place = 1, .width = 16, .gap = " 〜"},
};

int cheapest(const Options& o, const BrokerTable& table, std::ostream& out, std::ostream& err)
{
    const auto from = whole_yen("--from", o.from.value_or("1"), err);
    if (!from)
        return 1;
    const auto to = whole_yen("--to", o.to.value_or("100000000"), err);
    if (!to)
        return 1;
    if (*from > *to) {
        err << "--from (" << *from << ") が --to (" << *to
            << ") より大きくなっています。\n詳しくは fee-compare-cli --help\n";
        return 2;
    }
    const auto runs = cheapest_runs(table, {*from, *to});
    if (!runs) {
        err << trade_overflow_message(table, runs.error()) << "\n";
        return 1;
    }
    std::vector<Row> rows;
    for (const CheapestRun& run : runs.value()) {
        rows.push_back({QString::number(run.from), QString::number(run.to), QString::number(run.row),
                        decode_cp932(table.broker(run.row).name), general_form(run.commission_from),
                        general_form(run.commission_to), currency_form(*Money::from_yen(run.from)),
                        currency_form(*Money::from_yen(run.to))});
    }
    out << write_rows(o.format, kCheapestColumns, rows);
    return 0;
}

// Loads the file, applies `edit` and rewrites it as the program does at
// close, under the program's lock, so that it never writes behind an open
// window's back. Nothing is written unless the file loaded and the edit
// succeeded.
int rewrite(const QString& path, std::ostream& err, const std::function<Status<>(BrokerTable&)>& edit)
{
    DataDocument document(path, user_data_dir());
    Status<> status = document.open();
    if (status && !document.load_warning().empty())
        err << document.load_warning() << "\n";
    // Without a lock another copy could write at the same time: nothing is written.
    if (status && !document.unguarded().empty())
        status = Error{document.unguarded() + "何も書き込みませんでした。"};
    if (status)
        status = edit(document.table());
    if (!status) {
        err << status.error().message << "\n";
        return 1;
    }
    UnattendedAnswers answers;
    if (document.close(answers) != DataDocument::Closed::Saved) {
        err << answers.report();
        return 1;
    }
    return 0;
}

// rename, remove and move: the window's edits of the list.
Status<> edit_list(const Options& o, BrokerTable& table)
{
    const std::int64_t row = *whole_number(o.operands[0]);
    if (o.command == Command::Remove)
        return remove_broker(table, row);
    if (o.command == Command::Move)
        return move_broker(table, row, *whole_number(o.operands[1]));
    const auto name = encode_broker_name(QString::fromStdString(o.operands[1]));
    if (!name)
        return name.error();
    return rename_broker(table, row, name.value());
}

// The CSV's fields first, in their documented order, then what only JSON
// adds; the table puts the yen first, as compare's does.
constexpr Column kAccountsColumns[] = {
    {.key = "accounts", .kind = CellKind::Number, .heading = "口座", .place = 0, .width = 4},
    {.key = "total", .kind = CellKind::Number, .heading = "正確な額", .place = 2, .width = 22},
    {.key = "rows", .kind = CellKind::Figure, .heading = "番号", .place = 4, .width = 10},
    {.key = "names", .heading = "証券会社", .place = 5},
    {.key = "yen",
     .kind = CellKind::Figure,
     .in_csv = false,
     .heading = "年間の合計",
     .place = 1,
     .width = 14},
    {.key = "saving", .kind = CellKind::Json, .in_csv = false},
    {.key = "takers", .kind = CellKind::Json, .in_csv = false},
    {.kind = CellKind::Figure, .heading = "1 社との差", .place = 3, .width = 14},
};

Row accounts_row(const BrokerTable& table, const AccountSet& set, std::optional<Money> saving)
{
    QStringList rows, names, takers;
    for (const int m : set.members) {
        rows << QString::number(m);
        names << decode_cp932(table.broker(m).name);
    }
    for (const std::optional<int>& taker : set.taker)
        takers << (taker ? QString::number(*taker) : QStringLiteral("null"));
    return {QString::number(set.size),
            general_form(set.total),
            rows.join(u';'),
            names.join(u';'),
            currency_form(set.total),
            saving ? general_form(*saving) : QStringLiteral("null"),
            u'[' + takers.join(QStringLiteral(", ")) + u']',
            saving ? currency_form(*saving) : QStringLiteral("-")};
}

int accounts(const Options& o, const BrokerTable& table, std::ostream& out, std::ostream& err)
{
    const auto plan = plan_of(o, err);
    if (!plan)
        return 1;
    const auto sets = cheapest_account_sets(table, *plan, o.max_accounts.value_or(3));
    if (!sets) {
        err << accounts_failure_message(sets.error()) << "\n";
        return 1;
    }
    std::vector<Row> rows;
    for (const AccountSet& set : sets.value())
        rows.push_back(accounts_row(table, set, saving_over_one_account(sets.value(), set)));
    out << write_rows(o.format, kAccountsColumns, rows);
    return 0;
}

// check, compare, cheapest and accounts: they only read the file.
int report(const Options& o, std::ostream& out, std::ostream& err)
{
    BrokerTable table;
    std::string warning;
    if (const auto read = read_data_file(QString::fromStdString(o.data), table, &warning); !read) {
        err << read.error().message << "\n";
        return 1;
    }
    if (!warning.empty())
        err << warning << "\n";
    if (o.command == Command::Cheapest)
        return cheapest(o, table, out, err);
    if (o.command == Command::Compare)
        return compare(o, table, out, err);
    if (o.command == Command::Accounts)
        return accounts(o, table, out, err);
    out << o.data << ": " << table.broker_count() << " 社、正しく読み込めました。\n";
    return 0;
}

} // namespace

int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options o;
    if (const auto usage_error = parse_options(args, o)) {
        err << usage_error->message << "\n詳しくは fee-compare-cli --help\n";
        return 2;
    }
    if (o.help) {
        out << usage();
        return 0;
    }
    if (o.version) {
        out << "fee-compare-cli " << kVersion << "\n";
        return 0;
    }
    const QString path = QString::fromStdString(o.data);
    switch (o.command) {
    case Command::Normalize:
        return rewrite(path, err, [](BrokerTable&) { return Status<>(done()); });
    case Command::Rename:
    case Command::Remove:
    case Command::Move:
        return rewrite(path, err, [&o](BrokerTable& table) { return edit_list(o, table); });
    case Command::Check:
    case Command::Compare:
    case Command::Cheapest:
    case Command::Accounts:
        break;
    }
    return report(o, out, err);
}

} // namespace fee
