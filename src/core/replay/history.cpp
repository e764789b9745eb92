#include "core/replay/history.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <utility>

#include "core/replay/csv_records.h"
#include "core/replay/history_cells.h"
#include "core/storage/side_file.h"
#include "core/text/message_text.h"

namespace fee {
namespace {

// The header is looked for among this many first lines.
constexpr int kHeaderSearchLines = 30;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A record's cells as the file writes them, blanks around each trimmed.
QStringList shown_cells(const std::vector<std::string_view>& fields, HistoryEncoding encoding,
                        std::string& scratch)
{
    QStringList cells;
    for (const std::string_view field : fields)
        cells << decode_cell(field_text(field, scratch), encoding).trimmed();
    return cells;
}

struct FieldNames {
    std::string_view key;
    std::vector<QString> names;
};

const std::array<FieldNames, kHistoryFields>& field_names()
{
    static const std::array<FieldNames, kHistoryFields> names = {{
        {"date", {QStringLiteral("約定日"), QStringLiteral("約定年月日"), QStringLiteral("取引日")}},
        {"quantity", {QStringLiteral("数量"), QStringLiteral("約定数量"), QStringLiteral("株数")}},
        {"price", {QStringLiteral("単価"), QStringLiteral("約定単価"), QStringLiteral("約定価格")}},
        {"amount", {QStringLiteral("約定代金"), QStringLiteral("約定金額")}},
        {"side",
         {QStringLiteral("売買区分"), QStringLiteral("取引区分"), QStringLiteral("取引"),
          QStringLiteral("売買"), QStringLiteral("商品")}},
        {"fee", {QStringLiteral("手数料")}},
    }};
    return names;
}

std::size_t index_of(HistoryField field)
{
    return static_cast<std::size_t>(field);
}

// A cell names a field when it is one of its names, or one followed by '/'.
bool names_field(const QString& cell, HistoryField field)
{
    return std::any_of(field_names()[index_of(field)].names.begin(),
                       field_names()[index_of(field)].names.end(), [&cell](const QString& name) {
                           return cell == name ||
                                  (cell.startsWith(name) && cell.mid(name.size()).startsWith(u'/'));
                       });
}

// The columns of each field: the first that names it, every side column.
using Columns = std::array<std::vector<int>, kHistoryFields>;

bool enough(const Columns& c)
{
    const auto has = [&c](HistoryField f) { return !c[index_of(f)].empty(); };
    return has(HistoryField::Date) &&
           (has(HistoryField::Amount) || (has(HistoryField::Quantity) && has(HistoryField::Price)));
}

// What a line of cells says, when it is a header; `chosen` takes precedence
// over the names, a field chosen standing for every column of that field.
std::optional<Columns> header_columns(const QStringList& cells, const HistoryOptions& options)
{
    Columns columns;
    std::array<bool, kHistoryFields> chosen{};
    for (const ColumnChoice& choice : options.columns) {
        const QString wanted = normalised_header(choice.header);
        const auto at = std::find(cells.begin(), cells.end(), wanted);
        if (at == cells.end())
            return std::nullopt;
        chosen[index_of(choice.field)] = true;
        columns[index_of(choice.field)].push_back(static_cast<int>(at - cells.begin()));
    }
    for (int c = 0; c < cells.size(); ++c) {
        for (int f = 0; f < kHistoryFields; ++f) {
            auto& found = columns[static_cast<std::size_t>(f)];
            const bool many = static_cast<HistoryField>(f) == HistoryField::Side;
            if (!chosen[static_cast<std::size_t>(f)] && (many || found.empty()) &&
                names_field(cells[c], static_cast<HistoryField>(f)))
                found.push_back(c);
        }
    }
    return enough(columns) ? std::optional(columns) : std::nullopt;
}

// What a trade's side says it is.
enum class Side { CashTrade, Margin, Other };

Side side_of(const QString& text)
{
    static const QStringList other_products = {QStringLiteral("投信"),      QStringLiteral("投資信託"),
                                               QStringLiteral("外国"),      QStringLiteral("米国"),
                                               QStringLiteral("債券"),      QStringLiteral("先物"),
                                               QStringLiteral("オプション")};
    static const QStringList margin = {QStringLiteral("信用"), QStringLiteral("信新"), QStringLiteral("信返"),
                                       QStringLiteral("新規"), QStringLiteral("返済"), QStringLiteral("現引"),
                                       QStringLiteral("現渡")};
    const auto any = [&text](const QStringList& words) {
        return std::any_of(words.begin(), words.end(),
                           [&text](const QString& w) { return text.contains(w); });
    };
    if (any(other_products))
        return Side::Other;
    if (any(margin))
        return Side::Margin;
    return text.contains(u'買') || text.contains(u'売') ? Side::CashTrade : Side::Other;
}

std::string no_header_message(const QString& file, const HistoryOptions& options)
{
    if (!options.columns.empty()) {
        std::string wanted;
        for (const ColumnChoice& choice : options.columns)
            wanted += in_brackets(choice.header);
        return file.toStdString() + " の最初の " + std::to_string(kHeaderSearchLines) +
               " 行に、指定した見出し" + wanted +
               "をすべて含み、約定日と金額（約定代金、または数量と単価）の分かる行がありません。";
    }
    return file.toStdString() + " に取引の見出しの行が見つかりません。最初の " +
           std::to_string(kHeaderSearchLines) +
           " 行に、約定日（約定年月日、取引日）と、約定代金（約定金額）か数量（約定数量、株数）と単価（約定単"
           "価、約定"
           "価格）の列名を探しました。";
}

// Reads the lines after the header into `history`.
class TradeReader {
public:
    TradeReader(const Columns& columns, HistoryEncoding encoding, History& history)
        : columns_(columns), encoding_(encoding), history_(history)
    {
    }

    void read(const std::vector<std::string_view>& fields, int line);

private:
    std::string_view cell(const std::vector<std::string_view>& fields, HistoryField field,
                          std::string& scratch) const
    {
        const auto& at = columns_[index_of(field)];
        if (at.empty() || static_cast<std::size_t>(at.front()) >= fields.size())
            return {};
        return field_text(fields[static_cast<std::size_t>(at.front())], scratch);
    }
    Side side(const std::vector<std::string_view>& fields);
    std::optional<Money> amount(const std::vector<std::string_view>& fields, int line);
    void unreadable(int line, HistoryField field, std::string_view text);

    const Columns& columns_;
    HistoryEncoding encoding_;
    History& history_;
    std::string scratch_;
    // A file has a handful of side texts, on every line: each is read once.
    std::unordered_map<std::string, Side> sides_;
    std::string side_key_;
};

void TradeReader::read(const std::vector<std::string_view>& fields, int line)
{
    HistorySummary& s = history_.summary;
    ++s.lines;
    const auto date = read_date(cell(fields, HistoryField::Date, scratch_), encoding_);
    if (!date) {
        ++s.other;
        return;
    }
    if (!columns_[index_of(HistoryField::Side)].empty()) {
        const Side kind = side(fields);
        if (kind != Side::CashTrade) {
            ++(kind == Side::Margin ? s.margin : s.other);
            return;
        }
    }
    const auto money = amount(fields, line);
    if (!money)
        return;
    std::optional<Money> fee;
    if (const Figure f = read_figure(cell(fields, HistoryField::Fee, scratch_), encoding_);
        f.kind == Figure::Kind::Number)
        fee = f.value;
    history_.trades.push_back({line, *date, *money, fee});
}

Side TradeReader::side(const std::vector<std::string_view>& fields)
{
    side_key_.clear();
    for (const int c : columns_[index_of(HistoryField::Side)]) {
        if (static_cast<std::size_t>(c) < fields.size())
            side_key_.append(field_text(fields[static_cast<std::size_t>(c)], scratch_)).push_back('\0');
    }
    if (const auto known = sides_.find(side_key_); known != sides_.end())
        return known->second;
    const QString text = decode_cell(side_key_, encoding_).normalized(QString::NormalizationForm_KC);
    return sides_[side_key_] = side_of(text);
}

std::optional<Money> TradeReader::amount(const std::vector<std::string_view>& fields, int line)
{
    const std::string_view given = cell(fields, HistoryField::Amount, scratch_);
    const Figure total = read_figure(given, encoding_);
    if (total.kind == Figure::Kind::Number)
        return total.value;
    if (total.kind == Figure::Kind::Bad) {
        unreadable(line, HistoryField::Amount, given);
        return std::nullopt;
    }
    std::string quantity_scratch;
    const std::string_view quantity_text = cell(fields, HistoryField::Quantity, quantity_scratch);
    const std::string_view price_text = cell(fields, HistoryField::Price, scratch_);
    const Figure quantity = read_figure(quantity_text, encoding_);
    const Figure price = read_figure(price_text, encoding_);
    if (quantity.kind != Figure::Kind::Number) {
        unreadable(line, HistoryField::Quantity, quantity_text);
        return std::nullopt;
    }
    if (price.kind != Figure::Kind::Number) {
        unreadable(line, HistoryField::Price, price_text);
        return std::nullopt;
    }
    bool rounded = false;
    const auto product = times_price(quantity.value, price.value, rounded);
    if (!product) {
        history_.summary.unreadable.push_back({line, "数量×単価が大きすぎます"});
        return std::nullopt;
    }
    history_.summary.rounded += rounded ? 1 : 0;
    return product;
}

void TradeReader::unreadable(int line, HistoryField field, std::string_view text)
{
    static const char* const kWhat[] = {"約定日", "数量", "単価", "約定代金", "取引", "手数料"};
    const QString shown = decode_cell(text, encoding_);
    history_.summary.unreadable.push_back(
        {line, std::string(kWhat[index_of(field)]) +
                   (text.empty() ? "がありません" : "が数値ではありません: " + in_brackets(shown))});
}

// Below this the second core is not worth its start.
constexpr std::size_t kSplitBytes = 1 << 20;

void read_part(CsvRecords& records, const Columns& columns, HistoryEncoding encoding, History& into)
{
    // Fields after the last one read are not split, where lines end in LF:
    // the rest of a record is skipped to its line break.
    std::size_t most = 0;
    for (const auto& field : columns)
        for (const int c : field)
            most = std::max(most, static_cast<std::size_t>(c) + 1);
    if (!records.ends_lines_with_lf())
        most = SIZE_MAX;
    TradeReader reader(columns, encoding, into);
    std::vector<std::string_view> fields;
    int line = 0;
    while (records.next(fields, line, most))
        reader.read(fields, line);
}

// The lines after the header, in two halves on two cores where the file is
// large: the second half starts after a line break past the middle, which is
// a record's start unless a quoted field holds that break. The first half
// finds out when it gets there; if it did not land there, the second half's
// work is thrown away and the first goes on to the end.
void read_trades(std::string_view bytes, CsvRecords& records, const Columns& columns,
                 HistoryEncoding encoding, History& history)
{
    const std::size_t body = records.position();
    const std::size_t middle = body + (bytes.size() - body) / 2;
    const std::size_t split =
        bytes.size() - body > kSplitBytes ? bytes.find('\n', middle) : std::string_view::npos;
    if (split == std::string_view::npos || split + 1 >= bytes.size()) {
        read_part(records, columns, encoding, history);
        return;
    }
    History second;
    CsvRecords second_records(bytes, split + 1, bytes.size(), 1);
    std::thread worker([&] { read_part(second_records, columns, encoding, second); });
    CsvRecords first(bytes, body, split + 1, records.line());
    read_part(first, columns, encoding, history);
    worker.join();
    if (first.position() != split + 1) {
        CsvRecords rest(bytes, first.position(), bytes.size(), first.line());
        read_part(rest, columns, encoding, history);
        return;
    }
    const int offset = first.line() - 1;
    HistorySummary& s = history.summary;
    s.lines += second.summary.lines;
    s.margin += second.summary.margin;
    s.other += second.summary.other;
    s.rounded += second.summary.rounded;
    for (UnreadableLine u : second.summary.unreadable)
        s.unreadable.push_back({u.line + offset, std::move(u.reason)});
    history.trades.reserve(history.trades.size() + second.trades.size());
    for (HistoryTrade t : second.trades) {
        t.line += offset;
        history.trades.push_back(t);
    }
}

} // namespace

namespace {

constexpr std::pair<std::string_view, HistoryEncoding> kEncodingNames[] = {
    {"auto", HistoryEncoding::Auto}, {"utf-8", HistoryEncoding::Utf8}, {"cp932", HistoryEncoding::Cp932}};

} // namespace

std::optional<HistoryEncoding> history_encoding_named(std::string_view name)
{
    for (const auto& [known, encoding] : kEncodingNames)
        if (known == name)
            return encoding;
    return std::nullopt;
}

std::string_view history_encoding_name(HistoryEncoding encoding)
{
    for (const auto& [name, value] : kEncodingNames)
        if (value == encoding)
            return name;
    return {};
}

QString column_choice_text(const ColumnChoice& choice)
{
    return QString::fromUtf8(history_field_name(choice.field)) + u'=' + choice.header;
}

std::optional<ColumnChoice> column_choice_from(const QString& text)
{
    const qsizetype equals = text.indexOf(u'=');
    const auto field = equals > 0 ? history_field_named(text.left(equals).toStdString()) : std::nullopt;
    if (!field)
        return std::nullopt;
    return ColumnChoice{*field, text.mid(equals + 1)};
}

std::optional<HistoryField> history_field_named(std::string_view name)
{
    for (int f = 0; f < kHistoryFields; ++f)
        if (field_names()[static_cast<std::size_t>(f)].key == name)
            return static_cast<HistoryField>(f);
    return std::nullopt;
}

std::string_view history_field_name(HistoryField field)
{
    return field_names()[index_of(field)].key;
}

HistoryEncoding history_encoding(std::string_view bytes, HistoryEncoding asked)
{
    if (asked != HistoryEncoding::Auto)
        return asked;
    if (bytes.starts_with(kUtf8Bom))
        return HistoryEncoding::Utf8;
    return is_valid_utf8(bytes) ? HistoryEncoding::Utf8 : HistoryEncoding::Cp932;
}

std::vector<HistoryLine> first_history_lines(std::string_view bytes, HistoryEncoding encoding)
{
    if (bytes.starts_with(kUtf8Bom))
        bytes.remove_prefix(kUtf8Bom.size());
    std::vector<HistoryLine> lines;
    CsvRecords records(bytes);
    std::vector<std::string_view> fields;
    std::string scratch;
    int line = 0;
    while (static_cast<int>(lines.size()) < kHeaderSearchLines && records.next(fields, line))
        lines.push_back({line, shown_cells(fields, encoding, scratch)});
    return lines;
}

Outcome<History> read_history(std::string_view bytes, const QString& file_name, const HistoryOptions& options)
{
    History history;
    const HistoryEncoding encoding = history_encoding(bytes, options.encoding);
    history.summary.encoding = encoding;
    if (bytes.starts_with(kUtf8Bom))
        bytes.remove_prefix(kUtf8Bom.size());

    // The header search stops at the header, so that the trades are read on from there.
    CsvRecords records(bytes);
    std::vector<std::string_view> fields;
    std::string scratch;
    int line = 0;
    std::optional<Columns> columns;
    for (int searched = 0; !columns && searched < kHeaderSearchLines && records.next(fields, line);
         ++searched) {
        const QStringList shown = shown_cells(fields, encoding, scratch);
        QStringList cells;
        for (const QString& cell : shown)
            cells << normalised_header(cell);
        columns = header_columns(cells, options);
        if (columns) {
            history.summary.header_line = line;
            history.summary.header = shown;
            for (int f = 0; f < kHistoryFields; ++f)
                for (const int c : (*columns)[static_cast<std::size_t>(f)])
                    history.summary.columns[static_cast<std::size_t>(f)] << shown[c];
        }
    }
    if (!columns)
        return Error{no_header_message(file_name, options)};

    read_trades(bytes, records, *columns, encoding, history);
    if (!(*columns)[index_of(HistoryField::Fee)].empty()) {
        // A sum beyond the money range is no figure the file states: none.
        std::optional<Money> paid = Money{};
        for (const HistoryTrade& t : history.trades)
            if (paid)
                paid = paid->plus(t.fee.value_or(Money{}));
        history.summary.paid = paid;
    }
    history.summary.trades = static_cast<int>(history.trades.size());
    return history;
}

HistoryFile::HistoryFile(HistoryFile&& other) noexcept
    : map_(std::exchange(other.map_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0))
{
}

HistoryFile& HistoryFile::operator=(HistoryFile&& other) noexcept
{
    std::swap(map_, other.map_);
    std::swap(size_, other.size_);
    std::swap(mapped_, other.mapped_);
    return *this;
}

HistoryFile::~HistoryFile()
{
    if (map_)
        ::munmap(map_, mapped_);
}

Outcome<HistoryFile> load_history_file(const QString& path)
{
    const std::string name = path.toStdString();
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!fd)
        return Error{name + " を開けません（" + errno_reason(errno) + "）。"};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Error{name + " はファイルではありません。取引履歴の CSV ファイルを選んで下さい。"};
    if (st.st_size > kMaxHistoryBytes)
        return Error{name + " は大きすぎます（" + std::to_string(st.st_size / (1024 * 1024)) +
                     " MB）。取引履歴は " + std::to_string(kMaxHistoryBytes / (1024 * 1024)) +
                     " MB までです。"};
    HistoryFile file;
    if (st.st_size == 0)
        return file;
    // Read into memory of its own rather than mapped: a file cut short by
    // another program while it is read must not end the program with SIGBUS.
    // The memory comes whole (MAP_POPULATE), not page fault by page fault.
    const auto size = static_cast<std::size_t>(st.st_size);
    void* map =
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (map == MAP_FAILED)
        return Error{name + " を読み込めません（" + errno_reason(errno) + "）。"};
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd.get(), static_cast<char*>(map) + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : 0;
            ::munmap(map, size);
            if (code != 0)
                return Error{name + " を読み込めません（" + errno_reason(code) + "）。"};
            break; // cut short meanwhile: what is there
        }
        got += static_cast<std::size_t>(n);
    }
    file.map_ = map;
    file.size_ = got;
    file.mapped_ = size;
    return file;
}

} // namespace fee
