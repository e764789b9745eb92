#pragma once

#include <QString>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fee {

// The companion's three ways of writing a command's rows.
enum class Format { Table, Csv, Json };

// "table", "csv" or "json"; nothing for any other name.
std::optional<Format> format_named(std::string_view name);

// How JSON writes a column's cells: a number as it stands, text and a figure
// as a string, and JSON of the command's own making (an array, null) as it
// stands too. Text comes from the file or the user, so CSV guards it against
// a spreadsheet running it as a formula (see spreadsheet_text); a figure is of
// the program's own formatting ("-¥1,000", "1;2") and stays as it is. Who
// a row names is a table row, a number, or a daily plan's "D0", a string.
enum class CellKind { Text, Figure, Number, Json, Participant };

// One column of a command's output, described once for all three formats.
// CSV and JSON take the columns that have a key, in the order given; the
// table, for people, takes those that have a place, left to right, so it may
// order them its own way and show a column of its own (yen where the machine
// formats give a count) that has no key.
struct Column {
    std::string_view key = {}; // CSV heading and JSON name
    CellKind kind = CellKind::Text;
    bool in_csv = true; // false: a field only JSON carries
    std::string_view heading = {};
    int place = -1;        // in the table, from the left; -1: not in it
    std::size_t width = 0; // right-aligned to this many terminal columns; 0: as it is
    bool left = false;     // aligned to the left instead, for text that other columns follow
    // Before it in a table row, unless it comes first; the heading line has blanks as wide.
    std::string_view gap = "  ";
};

// A cell for each column, in the columns' order.
using Row = std::vector<QString>;

// The whole output: CSV with its heading line, a JSON array of objects, or
// the table with its heading line; UTF-8, lines ended by LF.
std::string write_rows(Format format, std::span<const Column> columns, const std::vector<Row>& rows);

// A JSON string of `text`: quotes, backslashes and control characters escaped.
QString json_string(const QString& text);

// A JSON object of the members in their order; each value is JSON already.
QString json_object(std::initializer_list<std::pair<const char*, QString>> members);

// A participant's id as JSON: a table row as a number, a daily plan's "D0" as a string.
QString json_participant(const QString& id);

// Width in terminal columns: East Asian wide characters take two.
std::size_t display_width(const QString& text);

} // namespace fee
