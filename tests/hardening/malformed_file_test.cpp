// Every way compare.dat can be wrong that we could think of: the reader refuses
// it naming the right line, or loads what a lenient reading gives, and in no
// case touches the file.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "core/datafile/data_file.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "hardening_support.h"

using namespace fee;
using namespace fee::hardening;

namespace {

enum class Kind { Count, Name, Currency, Single };

// What line `line` (1-based) of a file for `brokers` brokers holds.
Kind line_kind(int line, int brokers)
{
    if (line == 1)
        return Kind::Count;
    if (line < 2 + 4 * brokers)
        return (line - 2) % 4 == 0 ? Kind::Name : Kind::Currency;
    const int offset = (line - 2 - 4 * brokers) % 17;
    if (offset == 15)
        return Kind::Single;
    if (offset == 16)
        return Kind::Currency;
    return offset % 3 == 1 ? Kind::Single : Kind::Currency;
}

std::string sjis(const char* utf8)
{
    return encode_typed_name(QString::fromUtf8(utf8)).value();
}

// Two brokers, one with a 0x5C trail byte in its name ("ソ"), values in the
// general form so that any cut of a numeric line is still a number.
std::vector<std::string> base_lines()
{
    BrokerTable t = numbered_table(2, "x");
    t.broker(0).name = sjis("ソニー証券");
    t.broker(1).name = sjis("あおば証券 B");
    std::string bytes = serialize_data_file(t).value();
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto end = bytes.find("\r\n", pos);
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::string join(const std::vector<std::string>& lines, const std::string& eol = "\r\n")
{
    std::string out;
    for (const auto& l : lines)
        out += l + eol;
    return out;
}

struct Case {
    std::string label;
    std::string bytes;
    int line = 0;      // the line the refusal names; 0 when the file loads
    std::string words; // what the message says about that line
};

// gtest shows the case by its label.
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.label;
}

const std::string kMissing = "行目がありません";
const std::string kNotNumber = "が数値ではありません";
const std::string kRange = "の数値が範囲外です";
const std::string kTooMany = "行目の証券会社の数が多すぎます";

bool parses_as(Kind kind, const std::string& text)
{
    const QString utf8 = decode_cp932(text);
    switch (kind) {
    case Kind::Count:
        return parse_byte(utf8).ok() && parse_byte(utf8).value() <= 20;
    case Kind::Name:
        return true;
    case Kind::Currency:
        return parse_currency(utf8).ok();
    case Kind::Single:
        return parse_single(utf8).ok();
    }
    return false;
}

std::vector<Case> truncations()
{
    const auto lines = base_lines();
    const int n = static_cast<int>(lines.size());
    std::vector<Case> cases;
    std::string prefix;
    for (int k = 0; k < n; ++k) {
        // Cut after k whole lines.
        cases.push_back({"cut after line " + std::to_string(k), prefix, k + 1, kMissing});
        // Cut inside line k + 1: what is left of it is read as that line.
        const std::string& l = lines[k];
        for (std::size_t keep : {std::size_t{1}, l.size() / 2, l.size() - 1}) {
            if (keep == 0 || keep >= l.size())
                continue;
            const std::string part = l.substr(0, keep);
            Case c{"cut in line " + std::to_string(k + 1) + " after " + std::to_string(keep) + " bytes",
                   prefix + part, k + 2, kMissing};
            if (!parses_as(line_kind(k + 1, 2), part)) {
                c.line = k + 1;
                c.words = line_kind(k + 1, 2) == Kind::Count ? kTooMany : kNotNumber;
            } else if (k + 1 == n) {
                c.line = 0; // the last line needs no end: a cut there still loads
            }
            cases.push_back(c);
        }
        // Cut between CR and LF: the CR ends the line.
        cases.push_back({"cut between CR and LF of line " + std::to_string(k + 1), prefix + l + "\r",
                         k + 1 == n ? 0 : k + 2, kMissing});
        prefix += l + "\r\n";
    }
    return cases;
}

std::vector<Case> bad_numbers()
{
    const auto lines = base_lines();
    std::vector<Case> cases;
    for (int k = 1; k <= static_cast<int>(lines.size()); ++k) {
        const Kind kind = line_kind(k, 2);
        if (kind == Kind::Name)
            continue;
        const std::vector<std::pair<std::string, std::string>> replacements = {
            {"", kNotNumber},
            {" ", kNotNumber},
            {"abc", kNotNumber},
            {"1..2", kNotNumber},
            {"--1", kNotNumber},
            {"1,2,3", kNotNumber},
            {"0x10", kNotNumber},
            {"１２ｘ", kNotNumber},
            {"\x82\xa0", kNotNumber},
            {"1e400", kind == Kind::Single ? kRange : kNotNumber},
            {kind == Kind::Count    ? "256"
             : kind == Kind::Single ? "3.5E+38"
                                    : "922337203685477.5808",
             kRange},
        };
        for (const auto& [text, words] : replacements) {
            auto changed = lines;
            changed[k - 1] = text;
            cases.push_back({"line " + std::to_string(k) + " = \"" + text + "\"", join(changed), k, words});
        }
    }
    return cases;
}

std::vector<Case> counts()
{
    auto with_count = [](const std::string& count) {
        auto lines = base_lines();
        lines[0] = count;
        return join(lines);
    };
    return {
        {"count 21", with_count("21"), 1, kTooMany},
        {"count 255", with_count("255"), 1, kTooMany},
        {"count 256", with_count("256"), 1, kRange},
        {"count -1", with_count("-1"), 1, kRange},
        {"count 1.5 rounds to 2: three brokers, the file has two", with_count("1.5"), 44, kMissing},
        {"count 20 with two brokers' lines", with_count("20"), 44, kMissing},
        // One broker: line 6 is then the first bound, and it holds the second name.
        {"count 0 with two brokers' lines", with_count("0"), 6, kNotNumber},
    };
}

std::vector<Case> encodings()
{
    const auto lines = base_lines();
    std::string utf16 = "\xFF\xFE";
    for (char c : join(lines)) {
        utf16 += c;
        utf16 += '\0';
    }
    std::mt19937 random(20261207);
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>(random() & 0xFF);
    std::string all_bytes;
    for (int i = 0; i < 256; ++i)
        all_bytes += static_cast<char>(i);
    return {
        {"empty file", "", 1, kMissing},
        {"only a line end", "\r\n", 1, kNotNumber},
        {"BOM before the count", "\xEF\xBB\xBF" + join(lines), 1, "行目の前に UTF-8 の BOM があります"},
        {"UTF-16 with BOM", utf16, 1, "行目の前に UTF-16 の BOM があります"},
        {"binary junk", junk, 1, kNotNumber},
        {"every byte value", all_bytes, 1, kNotNumber},
        {"ELF header",
         std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
                     16),
         1, kNotNumber},
        {"NUL after the count", std::string("1\0", 2) + join(lines).substr(1), 1, kNotNumber},
        {"one huge count line", std::string(1 << 20, '7') + "\r\n", 1, kRange},
        {"one huge numeric line", join({lines[0], lines[1], std::string(1 << 20, '9')}), 3, kRange},
    };
}

class InTemporaryFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path() const { return dir_.filePath("compare.dat"); }
    QTemporaryDir dir_;
};

class MalformedFiles : public InTemporaryFolder, public ::testing::WithParamInterface<Case> {};

// A past modification time, so that any write would show.
void age(const QString& path)
{
    const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.toLocal8Bit().constData(), times, 0), 0);
}

TEST_P(MalformedFiles, RefusedWithTheRightLineAndTheFileUntouched)
{
    const Case& c = GetParam();
    write_bytes(path(), c.bytes);
    age(path());
    struct stat before {};
    ASSERT_EQ(::stat(path().toLocal8Bit().constData(), &before), 0);

    BrokerTable table = numbered_table(3, "before");
    const BrokerTable untouched = table;
    const auto r = read_data_file(path(), table);

    struct stat after {};
    ASSERT_EQ(::stat(path().toLocal8Bit().constData(), &after), 0);
    EXPECT_EQ(read_bytes(path()), c.bytes);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_TRUE(other_entries(dir_.path()).isEmpty());

    if (c.line == 0) {
        EXPECT_TRUE(r.ok()) << r.error().message;
        return;
    }
    ASSERT_FALSE(r.ok());
    const std::string& m = r.error().message;
    EXPECT_EQ(m.rfind(path().toStdString() + " の " + std::to_string(c.line) + " 行目", 0), 0u) << m;
    EXPECT_NE(m.find(c.words), std::string::npos) << m;
    EXPECT_LT(m.size(), 400u) << "a message quotes no more than a short piece of the line";
    EXPECT_TRUE(same_saved_elements(table, untouched));
}

std::vector<Case> all_cases()
{
    std::vector<Case> all;
    for (auto part : {truncations(), bad_numbers(), counts(), encodings()})
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string test_name(const ::testing::TestParamInfo<Case>& info)
{
    std::string name = std::to_string(info.index) + "_";
    for (char c : info.param.label)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryWay, MalformedFiles, ::testing::ValuesIn(all_cases()), test_name);

// Files that are unusual but right: they load, with exactly the values of the
// usual form, and are left as they are until the next save.
class UnusualButRight : public InTemporaryFolder {};

TEST_F(UnusualButRight, CrOnlyLfOnlyAndMixedLineEndsLoadTheSameTable)
{
    const auto lines = base_lines();
    BrokerTable expected;
    write_bytes(path(), join(lines));
    ASSERT_TRUE(read_data_file(path(), expected).ok());

    std::string mixed;
    for (std::size_t i = 0; i < lines.size(); ++i)
        mixed += lines[i] + (i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");
    for (const std::string& bytes :
         {join(lines, "\r"), join(lines, "\n"), mixed, join(lines).substr(0, join(lines).size() - 2)}) {
        write_bytes(path(), bytes);
        BrokerTable t;
        ASSERT_TRUE(read_data_file(path(), t).ok());
        EXPECT_TRUE(same_saved_elements(t, expected));
        EXPECT_EQ(read_bytes(path()), bytes);
    }
}

// A UTF-8 file with kana or kanji in its names is refused (above). Without
// them UTF-8 cannot be told from half-width katakana, which the program writes
// itself: "ﾃｽ" is C3 BD, "ý" in UTF-8. Such names load as the bytes they are.
TEST_F(UnusualButRight, NamesWithoutKanaOrKanjiLoadAsBytesWhateverTheirEncoding)
{
    auto lines = base_lines();
    lines[1] = sjis("ﾃｽ");
    lines[5] = "Société Générale 🏦";
    write_bytes(path(), join(lines));
    BrokerTable t;
    ASSERT_TRUE(read_data_file(path(), t).ok());
    EXPECT_EQ(t.broker(0).name, "\xC3\xBD");
    EXPECT_EQ(t.broker(1).name, "Société Générale 🏦");
    EXPECT_EQ(serialize_data_file(t).value(), join(lines));
}

TEST_F(UnusualButRight, NulAndControlBytesInANameAreKept)
{
    auto lines = base_lines();
    lines[1] = std::string("A\0B\x1A\x7F\x80\xFD", 7);
    write_bytes(path(), join(lines));
    BrokerTable t;
    ASSERT_TRUE(read_data_file(path(), t).ok());
    EXPECT_EQ(t.broker(0).name, lines[1]);
    EXPECT_EQ(serialize_data_file(t).value(), join(lines));
}

TEST_F(UnusualButRight, JunkAfterTheLastLineIsIgnored)
{
    const auto lines = base_lines();
    std::string bytes = join(lines) + std::string(1 << 20, '\xFF') + "\r\nmore\r\n";
    write_bytes(path(), bytes);
    BrokerTable t;
    ASSERT_TRUE(read_data_file(path(), t).ok());
    EXPECT_EQ(serialize_data_file(t).value(), join(lines));
    EXPECT_EQ(read_bytes(path()), bytes);
}

} // namespace
