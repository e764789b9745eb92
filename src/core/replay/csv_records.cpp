#include "core/replay/csv_records.h"

#include <algorithm>
#include <cstring>

namespace fee {

namespace {

// The end of a record's fields from `p` on that nobody reads: the first line
// break outside quotes, found a line at a time, its quotes counted in bulk.
const char* skip_rest(const char* p, const char* end)
{
    std::size_t quotes = 0;
    for (;;) {
        const auto* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* stop = nl ? nl : end;
        quotes += static_cast<std::size_t>(std::count(p, stop, '"'));
        if (quotes % 2 == 0 || !nl) {
            // A CR before the LF ends the record as well.
            return nl && nl > p && nl[-1] == '\r' && quotes % 2 == 0 ? nl - 1 : stop;
        }
        p = nl + 1;
    }
}

} // namespace

bool CsvRecords::next(std::vector<std::string_view>& fields, int& line, std::size_t most)
{
    fields.clear();
    if (pos_ >= bytes_.size() || pos_ >= end_)
        return false;
    line = line_;
    const char* const data = bytes_.data();
    const char* const end = data + bytes_.size();
    const char* const record = data + pos_;
    const char* p = record;
    for (;;) {
        const char* const start = p;
        if (p < end && *p == '"') {
            // To the closing quote: a doubled quote stays inside the field.
            // Fields are short: a plain loop beats a call to memchr here.
            ++p;
            for (;;) {
                while (p < end && *p != '"')
                    ++p;
                if (p == end) // unterminated: the field runs to the end
                    break;
                if (++p == end || *p != '"')
                    break;
                ++p;
            }
        }
        while (p < end && *p != ',' && *p != '\r' && *p != '\n')
            ++p;
        fields.emplace_back(start, static_cast<std::size_t>(p - start));
        if (p < end && *p == ',') {
            ++p;
            if (fields.size() < most)
                continue;
            p = skip_rest(p, end);
        }
        // Line breaks inside quotes are rare: looked for once a record, not byte by byte.
        for (const char* nl =
                 static_cast<const char*>(std::memchr(record, '\n', static_cast<std::size_t>(p - record)));
             nl;
             nl = static_cast<const char*>(std::memchr(nl + 1, '\n', static_cast<std::size_t>(p - nl - 1))))
            ++line_;
        if (p < end) {
            if (*p++ == '\r' && p < end && *p == '\n')
                ++p;
            ++line_;
        }
        pos_ = static_cast<std::size_t>(p - data);
        return true;
    }
}

std::string_view field_text(std::string_view field, std::string& scratch)
{
    if (field.empty() || field.front() != '"') {
        const auto first = field.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            return {};
        return field.substr(first, field.find_last_not_of(" \t") - first + 1);
    }
    std::string_view inside = field.substr(1);
    std::size_t close = inside.find('"');
    while (close != std::string_view::npos && close + 1 < inside.size() && inside[close + 1] == '"')
        close = inside.find('"', close + 2);
    inside = inside.substr(0, close);
    if (inside.find('"') == std::string_view::npos)
        return inside;
    scratch.clear();
    for (std::size_t i = 0; i < inside.size(); ++i) {
        scratch += inside[i];
        if (inside[i] == '"')
            ++i;
    }
    return scratch;
}

} // namespace fee
