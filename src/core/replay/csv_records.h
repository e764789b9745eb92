#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fee {

// The records of a CSV file, split on its bytes: a comma, a quote and a line
// break are single bytes in UTF-8 and never part of a two-byte character in
// CP932, so no field is decoded to be found. A quoted field may hold commas,
// doubled quotes and line breaks; a record ends at CR LF, a lone LF or a lone
// CR outside quotes. Fields stay views of the file until a caller needs them.
class CsvRecords {
public:
    explicit CsvRecords(std::string_view bytes) : bytes_(bytes) {}
    // From byte `from` on, which is taken to start a record on line `line`,
    // up to byte `to` (a record that starts before it ends where it ends).
    CsvRecords(std::string_view bytes, std::size_t from, std::size_t to, int line)
        : bytes_(bytes), pos_(from), end_(to), line_(line)
    {
    }

    // Whether its lines end in LF (CR LF included): only then may a record's
    // last fields be skipped rather than split. Looked at from where it starts.
    bool ends_lines_with_lf() const { return bytes_.find('\n', pos_) != std::string_view::npos; }

    // Where the next record starts, and on which line.
    std::size_t position() const { return pos_; }
    int line() const { return line_; }

    // The next record's fields, as they stand in the file (quotes included),
    // no more than `most` of them; false at the end. `line` is the physical
    // line the record starts on, from 1.
    bool next(std::vector<std::string_view>& fields, int& line, std::size_t most = SIZE_MAX);

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::size_t end_ = std::string_view::npos;
    int line_ = 1;
};

// A field's text: without its quotes, doubled quotes made single (in
// `scratch` when there are any), blanks around an unquoted field trimmed.
std::string_view field_text(std::string_view field, std::string& scratch);

} // namespace fee
