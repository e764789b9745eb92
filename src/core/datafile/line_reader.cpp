#include "core/datafile/line_reader.h"

#include <QIODevice>
#include <algorithm>

namespace fee {

namespace {

constexpr std::size_t kChunkBytes = 16 * 1024;

bool is_line_end(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

LineReader::LineReader(QIODevice& device) : device_(device), chunk_(kChunkBytes, '\0') {}

std::optional<LineReader::Line> LineReader::next(std::size_t limit)
{
    Line line;
    bool started = false;
    for (;;) {
        if (pos_ == end_ && !fill()) {
            if (!started)
                return std::nullopt;
            return line;
        }
        if (after_cr_) {
            after_cr_ = false;
            if (chunk_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        started = true;
        const auto begin = chunk_.begin() + static_cast<std::ptrdiff_t>(pos_);
        const auto stop =
            std::find_if(begin, chunk_.begin() + static_cast<std::ptrdiff_t>(end_), is_line_end);
        const auto length = static_cast<std::size_t>(stop - begin);
        const std::size_t room = limit - line.bytes.size();
        if (length > room) {
            line.bytes.append(begin, begin + static_cast<std::ptrdiff_t>(room));
            pos_ += room;
            line.too_long = true;
            return line;
        }
        line.bytes.append(begin, stop);
        pos_ += length;
        if (pos_ < end_) {
            after_cr_ = chunk_[pos_] == '\r';
            ++pos_;
            return line;
        }
    }
}

bool LineReader::fill()
{
    if (at_end_)
        return false;
    const qint64 n = device_.read(chunk_.data(), static_cast<qint64>(chunk_.size()));
    if (n <= 0) {
        at_end_ = true;
        failed_ = n < 0;
        return false;
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(n);
    return true;
}

} // namespace fee
