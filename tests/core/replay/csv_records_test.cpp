#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/replay/csv_records.h"

using namespace fee;

namespace {

struct Record {
    int line;
    std::vector<std::string> fields;
    bool operator==(const Record&) const = default;
};

void PrintTo(const Record& r, std::ostream* os)
{
    *os << "line " << r.line << ' ' << testing::PrintToString(r.fields);
}

std::vector<Record> all_records(CsvRecords records, std::size_t most = SIZE_MAX)
{
    std::vector<Record> out;
    std::vector<std::string_view> fields;
    int line = 0;
    while (records.next(fields, line, most))
        out.push_back({line, std::vector<std::string>(fields.begin(), fields.end())});
    return out;
}

TEST(CsvRecords, SplitsRecordsAndTellsTheLineEachStartsOn)
{
    // Catches a comma or line break inside quotes splitting the field, a doubled quote taken as
    // the closing one, CR LF counted as two lines, a lone CR not ending a record, and line breaks
    // inside quotes left out of the following line numbers.
    const struct {
        std::string bytes;
        std::vector<Record> expected;
    } cases[] = {
        {"", {}},
        {"a,b\r\nc,d\r\n", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
        {"a,b\nc,d", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
        {"a\rb\r", {{1, {"a"}}, {2, {"b"}}}},
        {"a,,\n,\n", {{1, {"a", "", ""}}, {2, {"", ""}}}},
        {"\"x,y\",z\n", {{1, {"\"x,y\"", "z"}}}},
        {"\"say \"\"hi\"\", ok\",2\n", {{1, {"\"say \"\"hi\"\", ok\"", "2"}}}},
        {"\"two\nlines\",1\nnext\n", {{1, {"\"two\nlines\"", "1"}}, {3, {"next"}}}},
        {"h\r\n\"a\r\nb\r\nc\"\r\nz", {{1, {"h"}}, {2, {"\"a\r\nb\r\nc\""}}, {5, {"z"}}}},
        {"a\n\"open,\nrest", {{1, {"a"}}, {2, {"\"open,\nrest"}}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(all_records(CsvRecords(c.bytes)), c.expected) << testing::PrintToString(c.bytes);
}

TEST(CsvRecords, SkipsFieldsBeyondTheMostWanted)
{
    // Catches a skipped quoted line break taken as the record's end, or left out of the line count.
    const struct {
        std::string bytes;
        std::size_t most;
        std::vector<Record> expected;
    } cases[] = {
        {"a,b,c,d\r\ne,f\r\n", 2, {{1, {"a", "b"}}, {2, {"e", "f"}}}},
        {"a,b,\"c\nd\",e\nf,g\n", 2, {{1, {"a", "b"}}, {3, {"f", "g"}}}},
        {"\"p,q\",r\ns", 1, {{1, {"\"p,q\""}}, {2, {"s"}}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(all_records(CsvRecords(c.bytes), c.most), c.expected) << testing::PrintToString(c.bytes);
}

TEST(CsvRecords, ReadsTheRecordsThatStartInARange)
{
    // Catches the range's start line ignored, or a record cut where the range ends.
    const std::string bytes = "h\nb1\nb2\nb3\n";
    CsvRecords middle(bytes, bytes.find("b1"), bytes.find("b2"), 2);
    EXPECT_EQ(all_records(middle), (std::vector<Record>{{2, {"b1"}}}));

    const std::string quoted = "\"a\nb\",c\nd";
    CsvRecords first(quoted, 0, 1, 1);
    std::vector<std::string_view> fields;
    int line = 0;
    ASSERT_TRUE(first.next(fields, line));
    EXPECT_EQ(fields, (std::vector<std::string_view>{"\"a\nb\"", "c"}));
    EXPECT_EQ(first.position(), quoted.find('d'));
    EXPECT_EQ(first.line(), 3);
    EXPECT_FALSE(first.next(fields, line));
}

TEST(CsvRecords, TellsWhetherLinesEndInLf)
{
    // Catches CR LF files taken for CR ones, and the look starting at the file's start.
    const struct {
        std::string bytes;
        std::size_t from;
        bool lf;
    } cases[] = {
        {"a\nb", 0, true}, {"a\r\nb", 0, true}, {"a\rb\r", 0, false}, {"", 0, false}, {"a\nb\rc", 2, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvRecords(c.bytes, c.from, std::string::npos, 1).ends_lines_with_lf(), c.lf)
            << testing::PrintToString(c.bytes);
}

TEST(CsvRecords, FieldTextDropsQuotesAndOuterBlanks)
{
    // Catches quotes kept, doubled quotes left doubled, blanks inside quotes trimmed, blanks
    // outside kept, and an unterminated quote losing the rest of its field.
    const struct {
        std::string field, expected;
    } cases[] = {
        {"  a b \t", "a b"},
        {"   ", ""},
        {"\"x,y\"", "x,y"},
        {"\" padded \"", " padded "},
        {"\"\"", ""},
        {"\"\"\"\"", "\""},
        {"\"say \"\"hi\"\"\"", "say \"hi\""},
        {"\"two\nlines\"", "two\nlines"},
        {"\"a\"junk", "a"},
        {"\"unterminated", "unterminated"},
        {"\"a\"\"b", "a\"b"},
    };
    std::string scratch;
    for (const auto& c : cases)
        EXPECT_EQ(field_text(c.field, scratch), c.expected) << testing::PrintToString(c.field);
}

} // namespace
