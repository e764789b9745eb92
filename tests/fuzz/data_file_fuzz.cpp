// The data-file reader on arbitrary bytes: it either loads, or refuses with a
// message that names the file and a line that exists (or the one after the
// end), leaving the table and the file alone. A file that loads is written and
// read again: from then on the table and the bytes stay the same.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "core/datafile/data_file.h"
#include "core/money/number_text.h"
#include "fuzz_check.h"
#include "hardening_support.h"

namespace {

using fee::BrokerTable;

const std::string& scratch_path()
{
    static const std::string path = [] {
        const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/fee-data-file-fuzz-" + std::to_string(::getpid()) + ".dat";
    }();
    return path;
}

void put_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good(), "cannot write " + path);
}

std::string get_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines as the reader counts them: CR LF, lone CR and lone LF end a line.
int count_lines(const std::string& bytes)
{
    int lines = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto end = bytes.find_first_of("\r\n", i);
        ++lines;
        if (end == std::string::npos)
            break;
        i = end + 1;
        if (bytes[end] == '\r' && i < bytes.size() && bytes[i] == '\n')
            ++i;
    }
    return lines;
}

// A table that is not the zero table, to see that a refused file leaves it be.
BrokerTable sentinel_table()
{
    BrokerTable t;
    t.set_last_broker(1);
    t.broker(0).name = "sentinel";
    t.broker(1).yearly_fee = fee::Money::from_units(123);
    t.broker(1).brackets.at(5).rate = 0.25f;
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string& path = scratch_path();
    const QString qpath = QString::fromStdString(path);
    put_file(path, input);

    BrokerTable table = sentinel_table();
    const auto read = fee::read_data_file(qpath, table);
    FUZZ_CHECK(get_file(path) == input, "reading changed the file");
    if (!read) {
        const std::string& message = read.error().message;
        FUZZ_CHECK(fee::hardening::same_saved_elements(table, sentinel_table()),
                   "a refused file changed the table: " + message);
        FUZZ_CHECK(message.find(path) != std::string::npos, "message does not name the file: " + message);
        const auto mark = message.find(" 行目");
        FUZZ_CHECK(mark != std::string::npos, "message names no line: " + message);
        std::size_t start = mark;
        while (start > 0 && message[start - 1] >= '0' && message[start - 1] <= '9')
            --start;
        FUZZ_CHECK(start < mark && mark - start < 6, "message names no line number: " + message);
        const int line = std::stoi(message.substr(start, mark - start));
        FUZZ_CHECK(line >= 1 && line <= count_lines(input) + 1, "line out of the file: " + message);
        return 0;
    }

    // The count line bounds the table; the loaded part of the file is 1 + 21n lines.
    FUZZ_CHECK(table.last_broker() <= 20, "count beyond the table");
    FUZZ_CHECK(count_lines(input) >= fee::data_file_lines(table.broker_count()), "loaded from too few lines");

    const auto first = fee::serialize_data_file(table);
    FUZZ_CHECK(first.ok(), "a loaded table does not serialize: " + (first ? "" : first.error().message));
    const auto written = fee::save_data_file(qpath, table);
    FUZZ_CHECK(written.ok(), "a loaded table does not save: " + (written ? "" : written.error().message));
    FUZZ_CHECK(get_file(path) == first.value(), "the saved bytes are not the serialized ones");

    BrokerTable again;
    const auto reread = fee::read_data_file(qpath, again);
    FUZZ_CHECK(reread.ok(), "a saved file does not load: " + (reread ? "" : reread.error().message));
    // Everything but a rate with more than seven significant digits is kept exactly.
    for (int r = 0; r <= table.last_broker(); ++r)
        for (int j = 0; j <= fee::kTopBracket; ++j) {
            const float f = table.broker(r).brackets.at(j).rate;
            FUZZ_CHECK(fee::general_form(again.broker(r).brackets.at(j).rate) == fee::general_form(f),
                       "rate " + fee::general_form(f).toStdString() + " changed its text on reload");
            table.broker(r).brackets.at(j).rate = again.broker(r).brackets.at(j).rate;
        }
    FUZZ_CHECK(fee::hardening::same_saved_elements(table, again), "the table changed through save and load");

    const auto second = fee::serialize_data_file(again);
    FUZZ_CHECK(second.ok() && second.value() == first.value(), "the second save differs from the first");
    BrokerTable third;
    FUZZ_CHECK(fee::read_data_file(qpath, third).ok() && fee::hardening::same_saved_elements(third, again),
               "a normalized file does not load back exactly");
    return 0;
}
