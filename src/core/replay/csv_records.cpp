#include "core/replay/csv_records.h"

#include <algorithm>
#include <cstring>

namespace fee {

bool CsvRecords::next(std::vector<std::string_view>& fields, int& line)
{
    fields.clear();
    if (pos_ >= bytes_.size() || pos_ >= end_)
        return false;
    line = line_;
    const char* const data = bytes_.data();
    const std::size_t size = bytes_.size();
    const std::size_t record = pos_;
    for (;;) {
        const std::size_t start = pos_;
        if (pos_ < size && data[pos_] == '"') {
            // To the closing quote: a doubled quote stays inside the field.
            // Fields are short: a plain loop beats a call to memchr here.
            std::size_t at = pos_ + 1;
            for (;;) {
                while (at < size && data[at] != '"')
                    ++at;
                if (++at >= size || data[at] != '"')
                    break;
                ++at;
            }
            pos_ = std::min(at, size);
        }
        while (pos_ < size && data[pos_] != ',' && data[pos_] != '\r' && data[pos_] != '\n')
            ++pos_;
        fields.push_back(bytes_.substr(start, pos_ - start));
        if (pos_ < size && data[pos_] == ',') {
            ++pos_;
            continue;
        }
        // Line breaks inside quotes are rare: looked for once a record, not byte by byte.
        for (const char* nl = static_cast<const char*>(std::memchr(data + record, '\n', pos_ - record)); nl;
             nl = static_cast<const char*>(
                 std::memchr(nl + 1, '\n', static_cast<std::size_t>(data + pos_ - nl - 1))))
            ++line_;
        if (pos_ >= size)
            return true;
        if (data[pos_++] == '\r' && pos_ < size && data[pos_] == '\n')
            ++pos_;
        ++line_;
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
