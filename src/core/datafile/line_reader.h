#pragma once

#include <cstddef>
#include <optional>
#include <string>

class QIODevice;

namespace fee {

// Splits a device into lines on demand. Each byte is looked at once, and the
// reader holds one chunk of the device plus the part of one line that the
// caller asks to keep, so neither time nor memory grows with the device's size.
// A line ends at CR LF, a lone CR or a lone LF.
class LineReader {
public:
    struct Line {
        std::string bytes;     // without its end; the first `limit` bytes when too long
        bool too_long = false; // more than `limit` bytes; the rest was not read
    };

    explicit LineReader(QIODevice& device);

    // The next line, or empty at the end of the device or on a read error.
    // After a line that is too long the reader stands in the middle of it.
    std::optional<Line> next(std::size_t limit);

    bool failed() const { return failed_; }

private:
    bool fill();

    QIODevice& device_;
    std::string chunk_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool after_cr_ = false; // an LF right here belongs to the CR before it
    bool at_end_ = false;
    bool failed_ = false;
};

} // namespace fee
