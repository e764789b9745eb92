#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>

#include "broker_table/codepage.h"
#include "broker_table/data_file.h"
#include "broker_table/number_text.h"
#include "test_tables.h"

using namespace fee;

namespace {

std::string sjis(const QString& s)
{
    return encode_typed_name(s).value();
}

// The one-broker example file, line by line.
const char* const kExampleLines[] = {"0",       nullptr, "2000",     "0",       "0",     "1000000",
                                     "0.0115",  "0",     "5000000",  "0.009",   "2500",  "10000000",
                                     "0.007",   "12500", "30000000", "0.00575", "25000", "50000000",
                                     "0.00375", "85000", "0",        "272500"};

std::string example_file(const std::string& eol = "\r\n")
{
    std::string out;
    for (const char* line : kExampleLines)
        out += (line ? std::string(line) : sjis(QStringLiteral("サンプル証券"))) + eol;
    return out;
}

class DataFile : public ::testing::Test {
protected:
    QString path(const char* name = "compare.dat") const { return dir_.filePath(name); }

    void put(const std::string& bytes, const char* name = "compare.dat") const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    std::string get(const char* name = "compare.dat") const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll().toStdString();
    }

    // Reads, expecting failure; checks the message and that nothing changed.
    std::string refused(const std::string& bytes)
    {
        put(bytes);
        BrokerTable t;
        t.com_name(0) = "before";
        const auto r = read_data_file(path(), t);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(t.com_name(0), "before");
        EXPECT_EQ(get(), bytes);
        return r.ok() ? std::string() : r.error().message;
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(DataFile, TheExampleFileLoadsAndIsWrittenBackByteForByte)
{
    put(example_file());
    BrokerTable t;
    ASSERT_TRUE(read_data_file(path(), t).ok());
    EXPECT_EQ(t.com_last(), 0);
    EXPECT_EQ(decode_cp932(t.com_name(0)), QStringLiteral("サンプル証券"));
    BrokerTable standard;
    test::set_standard_schedule(standard, 0);
    for (int j = 0; j < 6; ++j) {
        EXPECT_EQ(t.com_kubun(0, j), standard.com_kubun(0, j));
        EXPECT_EQ(t.com_wariai(0, j), standard.com_wariai(0, j));
        EXPECT_EQ(t.com_add(0, j), standard.com_add(0, j));
    }
    EXPECT_EQ(t.com_fix(0).units(), 20'000'000);

    ASSERT_TRUE(write_data_file(path("out.dat"), t).ok());
    EXPECT_EQ(get("out.dat"), example_file());
    EXPECT_EQ(serialize_data_file(t).value(), example_file());
}

TEST_F(DataFile, TwoBrokersFollowTheTwoBlocks)
{
    BrokerTable t;
    t.set_com_last(1);
    t.com_name(0) = "A";
    t.com_name(1) = "B";
    test::set_standard_schedule(t, 0);
    t.com_fix(1) = Money::from_units(12'345);
    t.com_max(1) = *Money::from_yen(7);
    t.com_mini(1) = *Money::from_yen(8);
    t.com_wariai(1, 5) = 0.25f;
    t.com_add(1, 5) = *Money::from_yen(9);
    const std::string s = serialize_data_file(t).value();
    std::vector<std::string> lines;
    for (std::size_t p = 0, e; (e = s.find("\r\n", p)) != std::string::npos; p = e + 2)
        lines.push_back(s.substr(p, e - p));
    ASSERT_EQ(lines.size(), 43u);
    EXPECT_EQ(lines[0], "1");
    EXPECT_EQ(lines[1], "A");
    EXPECT_EQ(lines[5], "B");
    EXPECT_EQ(lines[6], "1.2345");
    EXPECT_EQ(lines[7], "7");
    EXPECT_EQ(lines[8], "8");
    EXPECT_EQ(lines[9], "1000000"); // broker 0's brackets start at line 10
    EXPECT_EQ(lines[25], "272500");
    EXPECT_EQ(lines[26], "0"); // broker 1's brackets start at line 27
    EXPECT_EQ(lines[41], "0.25");
    EXPECT_EQ(lines[42], "9");
}

TEST_F(DataFile, TwentyOneBrokersLoadAndRoundTrip)
{
    BrokerTable t;
    t.set_com_last(20);
    for (int r = 0; r <= 20; ++r) {
        test::set_standard_schedule(t, r);
        t.com_name(r) = "broker " + std::to_string(r);
        t.com_fix(r) = *Money::from_yen(r * 100);
    }
    ASSERT_TRUE(write_data_file(path(), t).ok());
    const std::string bytes = get();
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), data_file_lines(21));
    BrokerTable back;
    ASSERT_TRUE(read_data_file(path(), back).ok());
    EXPECT_EQ(back.com_last(), 20);
    EXPECT_EQ(back.com_name(20), "broker 20");
    EXPECT_EQ(back.com_fix(20).units(), 20'000'000);
    EXPECT_EQ(serialize_data_file(back).value(), bytes);
}

TEST_F(DataFile, OtherNumberFormsLoadAndAreNormalisedTrailingLinesDropped)
{
    std::string f = example_file();
    const std::string yen_bound = "\x5C"
                                  "1,000,000";
    f.replace(f.find("1000000\r\n"), 7, yen_bound); // currency form with the 0x5C yen sign
    f.replace(f.find("5000000\r\n"), 7, "5,000,000");
    f.replace(f.find("\r\n2000\r\n") + 2, 4, " 2000 ");
    f += "extra line\r\nmore\r\n";
    put(f);
    BrokerTable t;
    ASSERT_TRUE(read_data_file(path(), t).ok());
    EXPECT_EQ(t.com_kubun(0, 0).units(), 10'000'000'000);
    ASSERT_TRUE(write_data_file(path(), t).ok());
    EXPECT_EQ(get(), example_file());
}

TEST_F(DataFile, LoneCrAndLoneLfEndLinesAndTheLastLineNeedsNoEnd)
{
    for (const char* eol : {"\r", "\n"}) {
        put(example_file(eol));
        BrokerTable t;
        ASSERT_TRUE(read_data_file(path(), t).ok()) << int(eol[0]);
        EXPECT_EQ(serialize_data_file(t).value(), example_file());
    }
    std::string f = example_file();
    f.resize(f.size() - 2);
    put(f);
    BrokerTable t;
    EXPECT_TRUE(read_data_file(path(), t).ok());
}

TEST_F(DataFile, NamesKeepTheirBytes)
{
    const std::string names[] = {
        "",                         // an empty name from a file
        "   ",                      // blanks
        "12345",                    // digits stay a name
        "\x95\x5C\x8E\x51\x93\xB9", // 表参道: 0x5C as a trail byte
        "\x5C"
        "100 Yen",                  // a leading yen sign
        "\xFA\x4A\xED\x40\x87\x90", // NEC/IBM duplicate codes
        "\x80\xA0\xFD\xFF\x81",     // not CP932 at all
        "\xB1\xB2\xB3",             // half-width kana
        "dup",
        "dup", // duplicates
    };
    BrokerTable t;
    t.set_com_last(static_cast<std::uint8_t>(std::size(names) - 1));
    for (std::size_t r = 0; r < std::size(names); ++r)
        t.com_name(static_cast<int>(r)) = names[r];
    ASSERT_TRUE(write_data_file(path(), t).ok());
    BrokerTable back;
    ASSERT_TRUE(read_data_file(path(), back).ok());
    for (std::size_t r = 0; r < std::size(names); ++r)
        EXPECT_EQ(back.com_name(static_cast<int>(r)), names[r]) << r;
    const std::string first = get();
    ASSERT_TRUE(write_data_file(path(), back).ok());
    EXPECT_EQ(get(), first);
}

TEST_F(DataFile, MalformedFilesNameTheLineAndChangeNothing)
{
    EXPECT_EQ(refused(""), path().toStdString() + " の 1 行目がありません。ファイルが途中で終わっています。");
    std::string f = example_file();
    f.replace(f.find("0.0115"), 6, "abc");
    EXPECT_EQ(refused(f), path().toStdString() + " の 7 行目が数値ではありません: \"abc\"");

    f = example_file();
    f.resize(f.find("272500"));
    EXPECT_EQ(refused(f), path().toStdString() + " の 22 行目がありません。ファイルが途中で終わっています。");

    f = example_file();
    f.replace(0, 1, "21");
    EXPECT_NE(refused(f).find("1 行目の証券会社の数が多すぎます: \"21\""), std::string::npos);
    f.replace(0, 2, "256");
    EXPECT_EQ(refused(f), path().toStdString() + " の 1 行目の数値が範囲外です: \"256\"");
    f.replace(0, 3, "-1");
    EXPECT_EQ(refused(f), path().toStdString() + " の 1 行目の数値が範囲外です: \"-1\"");

    f = example_file();
    f.replace(f.find("\r\n2000\r\n") + 2, 4, "");
    EXPECT_EQ(refused(f), path().toStdString() + " の 3 行目が数値ではありません: \"\"");

    f = "\xEF\xBB\xBF" + example_file();
    EXPECT_NE(refused(f).find(" の 1 行目が数値ではありません"), std::string::npos);

    f = example_file();
    f.replace(f.find("0.00575"), 7, "1e400");
    EXPECT_EQ(refused(f), path().toStdString() + " の 16 行目の数値が範囲外です: \"1e400\"");
}

TEST_F(DataFile, MissingFileOrDirectoryIsRefusedAndNothingIsCreated)
{
    BrokerTable t;
    const auto r = read_data_file(path(), t);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("がありません"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(path()));

    QDir(dir_.path()).mkdir("compare.dat");
    EXPECT_FALSE(read_data_file(path(), t).ok());
}

TEST_F(DataFile, AFailedWriteLeavesTheOldFileAndSaysSo)
{
    put("old content\r\n");
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    t.com_name(0) = "x";
    for (SaveStep step : {SaveStep::Open, SaveStep::Write, SaveStep::Flush, SaveStep::Commit}) {
        const auto r = write_data_file(path(), t, [step](SaveStep s, int) { return s == step; });
        ASSERT_FALSE(r.ok());
        EXPECT_NE(r.error().message.find("保存できませんでした"), std::string::npos);
        EXPECT_EQ(get(), "old content\r\n");
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"compare.dat"});
    }
    ASSERT_TRUE(write_data_file(path(), t).ok());
    EXPECT_EQ(get(), serialize_data_file(t).value());

    // A name with a line break would shift every later line: refused before touching the file.
    t.com_name(0) = "two\r\nlines";
    EXPECT_FALSE(write_data_file(path(), t).ok());
    EXPECT_EQ(get(), serialize_data_file([] {
                         BrokerTable ok;
                         test::set_standard_schedule(ok, 0);
                         ok.com_name(0) = "x";
                         return ok;
                     }())
                         .value());
    // Into a folder that does not exist.
    EXPECT_FALSE(write_data_file(dir_.filePath("no/such/compare.dat"), t).ok());
}
