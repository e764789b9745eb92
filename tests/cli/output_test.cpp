#include <gtest/gtest.h>

#include "cli/output.h"

using namespace fee;

TEST(Output, EachFormatWritesTheSameRows)
{
    // The table puts the name first; "width" is a field only JSON carries. CSV
    // guards a name a spreadsheet would run, not a number or a figure.
    const Column columns[] = {
        {.key = "row", .kind = CellKind::Number, .heading = "No", .place = 1, .width = 3},
        {.key = "name", .heading = "名前", .place = 0, .width = 6},
        {.key = "yen", .kind = CellKind::Figure},
        {.key = "width", .kind = CellKind::Number, .in_csv = false},
    };
    const std::vector<Row> rows = {{"1", "A, \"B\"", "¥6", "6"}, {"-22", "@証券", "-¥4", "4"}};
    const struct {
        Format format;
        std::string out;
    } cases[] = {
        {Format::Csv, "row,name,yen\n1,\"A, \"\"B\"\"\",¥6\n-22,'@証券,-¥4\n"},
        {Format::Json, "[\n  {\"row\": 1, \"name\": \"A, \\\"B\\\"\", \"yen\": \"¥6\", \"width\": 6},\n"
                       "  {\"row\": -22, \"name\": \"@証券\", \"yen\": \"-¥4\", \"width\": 4}\n]\n"},
        {Format::Table, "  名前   No\nA, \"B\"    1\n @証券  -22\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(write_rows(c.format, columns, rows), c.out) << static_cast<int>(c.format);
}
