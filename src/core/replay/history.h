#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/money/money.h"
#include "core/outcome.h"

namespace fee {

// A broker's trade-history download (約定履歴, 取引履歴) as CSV, read with one
// reader whatever the broker: the header found among the first lines by the
// names its cells give, the cash stock trades kept, everything else counted.

// How the file's bytes are read.
enum class HistoryEncoding { Auto, Utf8, Cp932 };

// "auto", "utf-8", "cp932" as --encoding and the JSON summary name them;
// nothing for another name.
std::optional<HistoryEncoding> history_encoding_named(std::string_view name);
std::string_view history_encoding_name(HistoryEncoding encoding);

// The fields the reader looks for, in the order messages and outputs list them.
enum class HistoryField { Date, Quantity, Price, Amount, Side, Fee };
inline constexpr int kHistoryFields = 6;

// "date", "quantity", … as --column names them; nothing for another name.
std::optional<HistoryField> history_field_named(std::string_view name);
std::string_view history_field_name(HistoryField field);

// A column chosen by its header text instead of by the names the reader knows
// (--column FIELD=HEADER, or the window's choice). Compared after the same
// normalisation as the header search. Choosing the side replaces every side
// column found; several choices of the side read all of them together.
struct ColumnChoice {
    HistoryField field = HistoryField::Date;
    QString header;
};

// A choice as FIELD=HEADER, as --column and the settings write it; reading
// one gives nothing for text without a known field before its "=".
QString column_choice_text(const ColumnChoice& choice);
std::optional<ColumnChoice> column_choice_from(const QString& text);

struct HistoryOptions {
    HistoryEncoding encoding = HistoryEncoding::Auto;
    std::vector<ColumnChoice> columns;
};

// A calendar day as yyyymmdd, which orders and groups like the date.
using HistoryDate = std::int32_t;

// One cash stock trade of the file.
struct HistoryTrade {
    int line = 0; // the physical line its record starts on, from 1
    HistoryDate date = 0;
    Money amount;             // the amount column's figure, else quantity x price
    std::optional<Money> fee; // the fee column's figure, when there is one and it holds a figure
};

// A line with a date that could not be priced, and why.
struct UnreadableLine {
    int line = 0;
    std::string reason; // names the field and quotes the text
};

// What was read and what was left out.
struct HistorySummary {
    HistoryEncoding encoding = HistoryEncoding::Cp932; // as read (never Auto)
    int header_line = 0;                               // from 1
    QStringList header;                                // the header line's cells as the file writes them
    // The header text of each field's column as the file writes it; the side
    // may have several, the others one or none.
    std::array<QStringList, kHistoryFields> columns;
    int lines = 0;   // records after the header
    int trades = 0;  // priced: every one in History::trades
    int margin = 0;  // margin trades (信用…), left out
    int other = 0;   // lines without a date, deposits, dividends, other products, left out
    int rounded = 0; // trades whose quantity x price was finer than 1/10,000 yen
    std::vector<UnreadableLine> unreadable;
    // The fee column's sum over the priced trades; nothing without a fee column.
    std::optional<Money> paid;

    const QStringList& column(HistoryField field) const { return columns[static_cast<std::size_t>(field)]; }
};

struct History {
    HistorySummary summary;
    std::vector<HistoryTrade> trades; // in the file's order
};

// The largest file a history may be: far beyond any real download, and small
// enough that reading it never costs more than a moment and its size in memory.
inline constexpr qint64 kMaxHistoryBytes = 200LL * 1024 * 1024;

// The encoding a history of `bytes` is read in: `asked`, unless Auto; then
// UTF-8 after a byte-order mark or where the bytes are valid UTF-8, else CP932.
HistoryEncoding history_encoding(std::string_view bytes, HistoryEncoding asked);

// A line among the first ones, where the header is looked for.
struct HistoryLine {
    int line = 0;      // from 1
    QStringList cells; // as the file writes them, blanks around each trimmed
};

// The lines the header is looked for among: the first 30 records of `bytes`
// (the whole file), decoded in `encoding`.
std::vector<HistoryLine> first_history_lines(std::string_view bytes, HistoryEncoding encoding);

// Reads the history in `bytes` (the whole file); `file_name` names it in
// messages. Fails when no header is found (saying which names were looked
// for), or when a chosen column is not in the header. How to choose columns
// instead is the caller's to say: the companion and the window offer it differently.
Outcome<History> read_history(std::string_view bytes, const QString& file_name,
                              const HistoryOptions& options = {});

// A history file's bytes, read into memory of their own.
class HistoryFile {
public:
    HistoryFile() = default;
    HistoryFile(HistoryFile&& other) noexcept;
    HistoryFile& operator=(HistoryFile&& other) noexcept;
    HistoryFile(const HistoryFile&) = delete;
    HistoryFile& operator=(const HistoryFile&) = delete;
    ~HistoryFile();

    std::string_view bytes() const { return {static_cast<const char*>(map_), size_}; }

private:
    friend Outcome<HistoryFile> load_history_file(const QString& path);
    void* map_ = nullptr;
    std::size_t size_ = 0;   // what was read
    std::size_t mapped_ = 0; // the memory's size
};

// The whole file at `path`, refusing one larger than kMaxHistoryBytes with
// its size, a folder, a FIFO or a device, without blocking.
Outcome<HistoryFile> load_history_file(const QString& path);

} // namespace fee
