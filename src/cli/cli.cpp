#include "cli/cli.h"

#include <QString>
#include <optional>
#include <sstream>

#include "broker_table/codepage.h"
#include "broker_table/data_file.h"
#include "broker_table/number_text.h"
#include "questionnaire/preset_plans.h"
#include "simulation/commission.h"
#include "simulation/cost_messages.h"

namespace fee {
namespace {

constexpr const char* kUsage =
    R"(使い方: fee-compare-cli COMMAND [OPTIONS]

証券会社の手数料データ compare.dat (Shift_JIS, CR LF) を調べ、整え、年間の手数料を比較します。

COMMAND:
  check                 データファイルを読み込み、正しければ終了コード 0 で終わります。
  normalize             読み込んで書き直します (プログラムを開いて何も変えずに閉じたときと同じ内容)。
                        数値は一般形式 (2000, 0.0115) になり、余分な行は消えます。
  compare               全証券会社の年間費用を計算して表示します。

OPTIONS:
  --data FILE           データファイル (既定: カレントディレクトリの compare.dat)
  --row AMOUNT COUNT    compare: 取引計画の 1 行 (1 回の金額と年間の回数)。5 回まで、
                        書いた順に 1〜5 行目になります。足りない行は 0 × 0 です。
                        金額は "1,000,000" や "¥1,000,000" も可、回数の小数は偶数丸め。
  --preset NAME         compare: 既定の取引計画を使う (--row とは併用不可)
                          low-occasional   低額・たまに   300,000×10 500,000×10 1,000,000×5 3,000,000×5 5,000,000×3
                          low-frequent     低額・頻繁     300,000×50 500,000×50 1,000,000×30 3,000,000×10 5,000,000×5
                          high-occasional  高額・たまに   1,000,000×5 3,000,000×10 5,000,000×10 10,000,000×10 30,000,000×10
                          high-frequent    高額・頻繁     1,000,000×50 3,000,000×50 5,000,000×50 10,000,000×30 30,000,000×30
  --sort                compare: 年間費用の安い順 (同額は表の順) に並べる
  --format FORMAT       compare: table (既定, 人が読む表), csv, json
  --help                この説明

出力 (csv): 見出し行 row,name,cost,yen の後に 1 社 1 行。row は表の番号 (0 から)、
name は証券会社名 (UTF-8)、cost は正確な年間費用 (例 441499.9883)、yen は円表示 (例 ¥441,500)。
json は同じ項目を持つオブジェクトの配列です。

終了コード: 0 成功、1 データ・数値・桁あふれの誤り (標準エラーに理由)、2 使い方の誤り。
失敗したコマンドがデータファイルを作ったり変えたりすることはありません。
)";

struct Usage {
    std::string message;
};

struct Options {
    std::string command;
    std::string data = kDataFileName;
    std::vector<std::pair<std::string, std::string>> rows;
    const PresetPlan* preset = nullptr;
    bool sort = false;
    std::string format = "table";
    bool help = false;
};

std::optional<Usage> parse_options(const std::vector<std::string>& args, Options& o)
{
    std::size_t i = 0;
    auto value = [&](const std::string& opt, std::string& out) -> std::optional<Usage> {
        if (i + 1 >= args.size())
            return Usage{opt + " の後に値がありません。"};
        out = args[++i];
        return std::nullopt;
    };
    bool preset_given = false;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--data") {
            if (auto u = value(a, o.data))
                return u;
        } else if (a == "--row") {
            if (i + 2 >= args.size())
                return Usage{"--row には金額と回数の 2 つの値が必要です。"};
            o.rows.emplace_back(args[i + 1], args[i + 2]);
            i += 2;
        } else if (a == "--preset") {
            std::string key;
            if (auto u = value(a, key))
                return u;
            o.preset = preset_plan_by_key(key);
            if (!o.preset)
                return Usage{"--preset の名前が違います: \"" + key +
                             "\"（low-occasional, low-frequent, high-occasional, high-frequent のどれか）"};
            preset_given = true;
        } else if (a == "--sort") {
            o.sort = true;
        } else if (a == "--format") {
            if (auto u = value(a, o.format))
                return u;
            if (o.format != "table" && o.format != "csv" && o.format != "json")
                return Usage{"--format は table, csv, json のどれかです: \"" + o.format + "\""};
        } else if (!a.empty() && a[0] == '-') {
            return Usage{"知らないオプションです: \"" + a + "\""};
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            return Usage{"余分な引数があります: \"" + a + "\""};
        }
    }
    if (o.help)
        return std::nullopt;
    if (o.command != "check" && o.command != "normalize" && o.command != "compare")
        return Usage{o.command.empty() ? "COMMAND がありません (check, normalize, compare)。"
                                       : "知らない COMMAND です: \"" + o.command + "\""};
    const bool plan_options = !o.rows.empty() || preset_given || o.sort || o.format != "table";
    if (o.command != "compare" && plan_options)
        return Usage{"--row, --preset, --sort, --format は compare でだけ使えます。"};
    if (o.rows.size() > kPlanRows)
        return Usage{"--row は 5 回までです。"};
    if (!o.rows.empty() && preset_given)
        return Usage{"--row と --preset は一緒に使えません。"};
    return std::nullopt;
}

std::string csv_field(const std::string& s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string json_string(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static const char* hex = "0123456789abcdef";
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Display width in terminal columns: East Asian wide characters take two.
std::size_t width(const std::string& s)
{
    const QString q = QString::fromStdString(s);
    std::size_t w = 0;
    for (QChar c : q) {
        if (c.isLowSurrogate())
            continue;
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6) || c.isHighSurrogate();
        w += wide ? 2 : 1;
    }
    return w;
}

std::string pad_left(const std::string& s, std::size_t w)
{
    const std::size_t n = width(s);
    return n >= w ? s : std::string(w - n, ' ') + s;
}

int compare(const Options& o, const BrokerTable& loaded, std::ostream& out, std::ostream& err)
{
    PlanTexts texts;
    if (o.preset) {
        texts = o.preset->texts();
    } else {
        for (int r = 0; r < kPlanRows; ++r) {
            const bool given = r < static_cast<int>(o.rows.size());
            texts.amount[r] = given ? o.rows[r].first : "0";
            texts.count[r] = given ? o.rows[r].second : "0";
        }
    }
    const auto plan = parse_plan(texts);
    if (!plan) {
        err << "--row: " << plan.error().message() << "\n";
        return 1;
    }
    BrokerTable table = loaded;
    const auto costs = compute_yearly_costs(table, plan.value());
    if (!costs) {
        err << cost_overflow_message(table, costs.error()) << "\n";
        return 1;
    }
    for (int b = 0; b <= table.com_last(); ++b)
        table.com_cost(b) = costs.value()[b];

    std::array<std::uint8_t, kTableRows> order{};
    for (int i = 0; i < kTableRows; ++i)
        order[i] = static_cast<std::uint8_t>(i);
    if (o.sort)
        order = cost_order(table);

    std::ostringstream s;
    if (o.format == "csv") {
        s << "row,name,cost,yen\n";
    } else if (o.format == "json") {
        s << "[\n";
    } else {
        s << pad_left("番号", 4) << "  " << pad_left("年間費用", 14) << "  " << pad_left("正確な額", 22)
          << "  証券会社\n";
    }
    for (int j = 0; j <= table.com_last(); ++j) {
        const int b = order[j];
        const std::string name = decode_cp932_utf8(table.com_name(b));
        const std::string cost = general_form(table.com_cost(b));
        const std::string yen = currency_form(table.com_cost(b));
        if (o.format == "csv") {
            s << b << ',' << csv_field(name) << ',' << cost << ',' << csv_field(yen) << "\n";
        } else if (o.format == "json") {
            s << "  {\"row\": " << b << ", \"name\": " << json_string(name) << ", \"cost\": " << cost
              << ", \"yen\": " << json_string(yen) << "}" << (j < table.com_last() ? ",\n" : "\n");
        } else {
            s << pad_left(std::to_string(b), 4) << "  " << pad_left(yen, 14) << "  " << pad_left(cost, 22)
              << "  " << name << "\n";
        }
    }
    if (o.format == "json")
        s << "]\n";
    out << s.str();
    return 0;
}

} // namespace

int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options o;
    if (const auto usage = parse_options(args, o)) {
        err << usage->message << "\n詳しくは fee-compare-cli --help\n";
        return 2;
    }
    if (o.help) {
        out << kUsage;
        return 0;
    }
    const QString path = QString::fromStdString(o.data);
    BrokerTable table;
    if (const auto read = read_data_file(path, table); !read) {
        err << read.error().message << "\n";
        return 1;
    }
    if (o.command == "check") {
        out << o.data << ": " << table.broker_count() << " 社、正しく読み込めました。\n";
        return 0;
    }
    if (o.command == "normalize") {
        if (const auto written = write_data_file(path, table); !written) {
            err << written.error().message << "\n";
            return 1;
        }
        return 0;
    }
    return compare(o, table, out, err);
}

} // namespace fee
