#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <string>
#include <string_view>
#include <vector>

#include "core/datafile/data_file.h"
#include "core/datafile/line_reader.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"
#include "fail_device.h"
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
        t.broker(0).name = "before";
        const auto r = read_data_file(path(), t);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(t.broker(0).name, "before");
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
    EXPECT_EQ(t.last_broker(), 0);
    EXPECT_EQ(decode_cp932(t.broker(0).name), QStringLiteral("サンプル証券"));
    BrokerTable standard;
    test::set_standard_schedule(standard, 0);
    for (int j = 0; j < 6; ++j) {
        EXPECT_EQ(t.broker(0).brackets.at(j).upper_bound, standard.broker(0).brackets.at(j).upper_bound);
        EXPECT_EQ(t.broker(0).brackets.at(j).rate, standard.broker(0).brackets.at(j).rate);
        EXPECT_EQ(t.broker(0).brackets.at(j).add_on, standard.broker(0).brackets.at(j).add_on);
    }
    EXPECT_EQ(t.broker(0).yearly_fee.units(), 20'000'000);

    ASSERT_TRUE(save_data_file(path("out.dat"), t).ok());
    EXPECT_EQ(get("out.dat"), example_file());
    EXPECT_EQ(serialize_data_file(t).value(), example_file());
}

TEST_F(DataFile, TwoBrokersFollowTheTwoBlocks)
{
    BrokerTable t;
    t.set_last_broker(1);
    t.broker(0).name = "A";
    t.broker(1).name = "B";
    test::set_standard_schedule(t, 0);
    t.broker(1).yearly_fee = Money::from_units(12'345);
    t.broker(1).maximum = *Money::from_yen(7);
    t.broker(1).minimum = *Money::from_yen(8);
    t.broker(1).brackets.at(5).rate = 0.25f;
    t.broker(1).brackets.at(5).add_on = *Money::from_yen(9);
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
    t.set_last_broker(20);
    for (int r = 0; r <= 20; ++r) {
        test::set_standard_schedule(t, r);
        t.broker(r).name = "broker " + std::to_string(r);
        t.broker(r).yearly_fee = *Money::from_yen(r * 100);
    }
    ASSERT_TRUE(save_data_file(path(), t).ok());
    const std::string bytes = get();
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), data_file_lines(21));
    BrokerTable back;
    ASSERT_TRUE(read_data_file(path(), back).ok());
    EXPECT_EQ(back.last_broker(), 20);
    EXPECT_EQ(back.broker(20).name, "broker 20");
    EXPECT_EQ(back.broker(20).yearly_fee.units(), 20'000'000);
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
    EXPECT_EQ(t.broker(0).brackets.at(0).upper_bound.units(), 10'000'000'000);
    ASSERT_TRUE(save_data_file(path(), t).ok());
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
    t.set_last_broker(static_cast<std::uint8_t>(std::size(names) - 1));
    for (std::size_t r = 0; r < std::size(names); ++r)
        t.broker(static_cast<int>(r)).name = names[r];
    ASSERT_TRUE(save_data_file(path(), t).ok());
    BrokerTable back;
    ASSERT_TRUE(read_data_file(path(), back).ok());
    for (std::size_t r = 0; r < std::size(names); ++r)
        EXPECT_EQ(back.broker(static_cast<int>(r)).name, names[r]) << r;
    const std::string first = get();
    ASSERT_TRUE(save_data_file(path(), back).ok());
    EXPECT_EQ(get(), first);
}

TEST_F(DataFile, MalformedFilesNameTheLineAndChangeNothing)
{
    const std::string fix = "。テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。";
    const std::string cut_short = "ファイルが途中で終わっています。保存しておいた写しに戻して下さい。";
    EXPECT_EQ(refused(""), path().toStdString() + " の 1 行目がありません。" + cut_short);
    std::string f = example_file();
    f.replace(f.find("0.0115"), 6, "abc");
    EXPECT_EQ(refused(f),
              path().toStdString() +
                  " の 7 行目（1 社目「サンプル証券」の手数料率（表の 1 行目））が数値ではありません: "
                  "「abc」" +
                  fix);

    f = example_file();
    f.resize(f.find("272500"));
    EXPECT_EQ(refused(f), path().toStdString() + " の 22 行目がありません。" + cut_short);

    f = example_file();
    f.replace(0, 1, "21");
    EXPECT_NE(refused(f).find("1 行目の証券会社の数が多すぎます: 「21」"), std::string::npos);
    f.replace(0, 2, "256");
    EXPECT_EQ(refused(f),
              path().toStdString() + " の 1 行目（証券会社の数）の数値が範囲外です: 「256」" + fix);
    f.replace(0, 3, "-1");
    EXPECT_EQ(refused(f),
              path().toStdString() + " の 1 行目（証券会社の数）の数値が範囲外です: 「-1」" + fix);

    f = example_file();
    f.replace(f.find("\r\n2000\r\n") + 2, 4, "");
    EXPECT_EQ(refused(f), path().toStdString() +
                              " の 3 行目（1 社目「サンプル証券」の維持費）が数値ではありません: 「」" + fix);

    f = "\xEF\xBB\xBF" + example_file();
    EXPECT_NE(refused(f).find(" の 1 行目の前に UTF-8 の BOM があります。"), std::string::npos);

    f = example_file();
    f.replace(f.find("0.00575"), 7, "1e400");
    EXPECT_EQ(refused(f),
              path().toStdString() +
                  " の 16 行目（1 社目「サンプル証券」の手数料率（表の 4 行目））の数値が範囲外です: "
                  "「1e400」" +
                  fix);
}

// Files a user may pick by mistake. Each is refused at the first line that
// cannot be right, having read no more than that line's limit.
TEST_F(DataFile, AFileWithoutLineBreaksIsRefusedAtItsFirstLine)
{
    std::string text;
    while (text.size() < (4u << 20))
        text += "compare ";
    const std::string fix = "。テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。";
    EXPECT_EQ(refused(text), path().toStdString() + " の 1 行目（証券会社の数）が数値ではありません: 「" +
                                 text.substr(0, 40) + "…」" + fix);

    const std::string digits(4u << 20, '7');
    EXPECT_EQ(refused(digits), path().toStdString() + " の 1 行目（証券会社の数）の数値が範囲外です: 「" +
                                   digits.substr(0, 40) + "…」" + fix);

    // Past a good count line the junk is a name, refused at the name's limit.
    EXPECT_EQ(refused("0\r\n" + text), path().toStdString() + " の 2 行目の証券会社名が長すぎます: 「" +
                                           text.substr(0, 40) + "…」（名前は 65534 バイトまでです）" + fix);
}

TEST_F(DataFile, AFileOfNulBytesIsRefusedShowingTheNuls)
{
    std::string escapes;
    for (int i = 0; i < 20; ++i)
        escapes += "\\0";
    EXPECT_EQ(refused(std::string(4u << 20, '\0')),
              path().toStdString() + " の 1 行目（証券会社の数）が数値ではありません: 「" + escapes +
                  "…」。テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。");
}

TEST_F(DataFile, ANameOfTheLongestTypedLengthLoadsAndOneByteMoreIsRefused)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    t.broker(0).name = sjis(QString(kMaxNameCharacters, QChar(u'あ')));
    ASSERT_EQ(t.broker(0).name.size(), kMaxNameBytes);
    ASSERT_TRUE(save_data_file(path(), t).ok());
    BrokerTable back;
    ASSERT_TRUE(read_data_file(path(), back).ok());
    EXPECT_EQ(back.broker(0).name, t.broker(0).name);

    std::string f = get();
    f.insert(f.find("\r\n2000\r\n"), "A");
    const std::string shown = QString(40, QChar(u'あ')).toStdString();
    EXPECT_EQ(refused(f), path().toStdString() + " の 2 行目の証券会社名が長すぎます: 「" + shown +
                              "…」（名前は 65534 バイトまでです）。テキストエディターでその行を直すか、"
                              "保存しておいた写しに戻して下さい。");
}

TEST_F(DataFile, ANumberLineHoldsAtMost256Bytes)
{
    std::string f = example_file();
    const std::string padded = std::string(kMaxNumberLineBytes - 4, '0') + "2000";
    f.replace(f.find("\r\n2000\r\n") + 2, 4, padded);
    put(f);
    BrokerTable t;
    ASSERT_TRUE(read_data_file(path(), t).ok());
    EXPECT_EQ(t.broker(0).yearly_fee, *Money::from_yen(2'000));

    f.insert(f.find(padded), "0");
    const std::string fix = "。テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。";
    EXPECT_EQ(refused(f), path().toStdString() +
                              " の 3 行目（1 社目「サンプル証券」の維持費）が数値としては長すぎます: 「" +
                              std::string(40, '0') + "…」（数値の行は 256 バイトまでです）" + fix);

    // Full-width digits, cut by the limit in the middle of one: still read as
    // digits, so the line is out of range rather than not a number.
    f = example_file();
    QString wide = QStringLiteral(" ");
    wide += QString(200, QChar(u'１'));
    f.replace(f.find("\r\n2000\r\n") + 2, 4, sjis(wide));
    EXPECT_EQ(refused(f), path().toStdString() +
                              " の 3 行目（1 社目「サンプル証券」の維持費）の数値が範囲外です: 「" +
                              wide.left(40).toStdString() + "…」" + fix);
}

TEST_F(DataFile, ControlBytesInAQuotedLineShowAsEscapes)
{
    std::string f = example_file();
    f.replace(0, 1, std::string("1\t2\x1B\0", 5));
    EXPECT_EQ(refused(f), path().toStdString() +
                              " の 1 行目（証券会社の数）が数値ではありません: 「1\\t2\\x1B\\0」。"
                              "テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。");
}

TEST(LineReader, StopsAtTheLimitWithoutReadingOnAndSplitsCrLfAcrossChunks)
{
    QByteArray junk(8 << 20, 'x');
    QBuffer device(&junk);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    LineReader lines(device);
    const auto first = lines.next(256);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->too_long);
    EXPECT_EQ(first->bytes, std::string(256, 'x'));
    EXPECT_LE(device.pos(), 64 * 1024);

    // A CR LF wherever it falls, the edge of a chunk included, is one line end.
    for (int at = 16 * 1024 - 3; at <= 16 * 1024 + 1; ++at) {
        QByteArray bytes = QByteArray(at, 'a') + "\r\n\rb\nc";
        QBuffer in(&bytes);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        LineReader r(in);
        std::vector<std::string> got;
        while (const auto l = r.next(1 << 20)) {
            EXPECT_FALSE(l->too_long);
            got.push_back(l->bytes);
        }
        EXPECT_EQ(got,
                  (std::vector<std::string>{std::string(static_cast<std::size_t>(at), 'a'), "", "b", "c"}))
            << at;
        EXPECT_FALSE(r.failed());
    }
}

// The one quoting rule of every message: 40 characters shown, escapes counted
// by their length and never cut, a surrogate pair one character.
TEST(QuotedText, ControlAndInvisibleCharactersShowAsEscapesAndTheQuoteStaysShort)
{
    using namespace std::string_view_literals;
    EXPECT_EQ(quoted_text(u"1\0\t\n\r\x1B\x7F\x85"sv), QStringLiteral(u"1\\0\\t\\n\\r\\x1B\\x7F\\x85"));
    EXPECT_EQ(quoted_text(u"\u202Eabc\uFEFF\u2028"sv), QStringLiteral(u"\\u202Eabc\\uFEFF\\u2028"));
    EXPECT_EQ(quoted_text(QString(QChar(0xD800)) + QStringLiteral(u"x")), QStringLiteral(u"\\uD800x"));
    // The yen sign of CP932 byte 0x5C and a blank stay as they are.
    EXPECT_EQ(quoted_text(u"\\1,000 ¥2\u3000"), QStringLiteral(u"\\1,000 ¥2\u3000"));

    EXPECT_EQ(quoted_text(QString(40, u'a')), QString(40, u'a'));
    EXPECT_EQ(quoted_text(QString(41, u'a')), QString(40, u'a') + QStringLiteral(u"…"));
    EXPECT_EQ(quoted_text(QString(39, u'a') + QChar(0x1B)), QString(39, u'a') + QStringLiteral(u"…"));
    EXPECT_EQ(quoted_text(QString(36, u'a') + QChar(0x1B)), QString(36, u'a') + QStringLiteral(u"\\x1B"));
    EXPECT_EQ(quoted_text(QString(36, u'a') + QChar(0x1B) + QStringLiteral(u"b")),
              QString(36, u'a') + QStringLiteral(u"\\x1B…"));
    QString emoji;
    for (int i = 0; i < 41; ++i)
        emoji += QStringLiteral(u"😀");
    EXPECT_EQ(quoted_text(emoji), emoji.left(80) + QStringLiteral(u"…"));
    std::string nuls;
    for (int i = 0; i < 20; ++i)
        nuls += "\\0";
    EXPECT_EQ(quoted_utf8(QString(25, QChar(0))), nuls + "…");
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
    t.broker(0).name = "x";
    // A device that fills up at any byte reports the failure with the system's words.
    const auto bytes = static_cast<qint64>(serialize_data_file(t).value().size());
    for (qint64 capacity : {qint64{0}, qint64{1}, bytes / 2, bytes - 1}) {
        test::FailDevice device(capacity);
        const auto r = write_data_file(device, t);
        ASSERT_FALSE(r.ok()) << capacity;
        EXPECT_EQ(r.error().message, "書き込みに失敗しました（ディスクに空きがありません）");
    }
    test::FailDevice roomy(bytes);
    ASSERT_TRUE(write_data_file(roomy, t).ok());
    EXPECT_EQ(roomy.data().toStdString(), serialize_data_file(t).value());
    EXPECT_EQ(get(), "old content\r\n");

    ASSERT_TRUE(save_data_file(path(), t).ok());
    EXPECT_EQ(get(), serialize_data_file(t).value());

    // A name with a line break would shift every later line: refused before touching the file.
    t.broker(0).name = "two\r\nlines";
    EXPECT_FALSE(save_data_file(path(), t).ok());
    EXPECT_EQ(get(), serialize_data_file([] {
                         BrokerTable ok;
                         test::set_standard_schedule(ok, 0);
                         ok.broker(0).name = "x";
                         return ok;
                     }())
                         .value());
    // Into a folder that does not exist.
    t.broker(0).name = "x";
    const auto missing = save_data_file(dir_.filePath("no/such/compare.dat"), t);
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find(
                  "保存できませんでした: 書き込み用に開けません（ファイルかフォルダーがありません）"),
              std::string::npos)
        << missing.error().message;
}

// A file with a Unicode byte-order mark is named for what it is, with the
// command that converts it, instead of failing at its first line.
TEST_F(DataFile, AUnicodeFileIsRefusedSayingHowToConvertIt)
{
    const std::string convert =
        " で保存されたファイルは読めません。Shift_JIS (CP932) で保存し直して下さい（端末では ";
    const std::string replace = " > sjis.dat で変換し、sjis.dat を compare.dat にします）。";
    std::string utf8 = example_file();
    utf8.replace(utf8.find(sjis(QStringLiteral("サンプル証券"))), 12,
                 QStringLiteral("サンプル証券").toStdString());

    EXPECT_EQ(refused("\xEF\xBB\xBF" + utf8),
              path().toStdString() + " の 1 行目の前に UTF-8 の BOM があります。UTF-8" + convert +
                  "tail -c +4 compare.dat | iconv -f UTF-8 -t CP932" + replace);
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("0\r\n"))
        utf16 += std::string{c, '\0'};
    EXPECT_EQ(refused(utf16), path().toStdString() + " の 1 行目の前に UTF-16 の BOM があります。UTF-16" +
                                  convert + "iconv -f UTF-16 -t CP932 compare.dat" + replace);
}

// Names that read like Japanese in UTF-8 are valid CP932 too: they load as
// the bytes they are, with a warning that names the line, quotes the UTF-8
// reading and gives the command that converts a UTF-8 file.
TEST_F(DataFile, NamesThatLookLikeUtf8LoadWithAWarning)
{
    for (const char* name :
         {"あい", "楽天証券", "ＳＢＩ証券", "ｶﾌﾞ証券", "証券A", "野村證券", "\xE3\x81\x82\x60"}) {
        std::string f = example_file();
        f.replace(f.find(sjis(QStringLiteral("サンプル証券"))), 12, name);
        put(f);
        BrokerTable t;
        std::string warning;
        ASSERT_TRUE(read_data_file(path(), t, &warning).ok()) << name;
        EXPECT_EQ(t.broker(0).name, name);
        EXPECT_NE(warning.find(" 2 行目"), std::string::npos) << warning;
        EXPECT_NE(warning.find("「" + std::string(name) + "」"), std::string::npos) << warning;
        EXPECT_NE(warning.find("iconv -f UTF-8 -t CP932 compare.dat > sjis.dat"), std::string::npos);
    }
    std::string plain;
    BrokerTable t;
    put(example_file());
    ASSERT_TRUE(read_data_file(path(), t, &plain).ok());
    EXPECT_EQ(plain, "");
}

// The iconv command comes only where it converts the whole file, lines after
// the last one needed included; otherwise the lines to retype are named.
TEST_F(DataFile, TheUtf8WarningFitsTheFile)
{
    const std::string u = "楽天証券", s = sjis(QStringLiteral("マネックス証券"));
    const std::string tail = QString(40'000, u'あ').toStdString(); // read in chunks that cut a character
    const struct {
        std::vector<std::string> names; // row r's name is on line 2 + 4r
        std::string after;
        bool converts;
        std::vector<int> lines; // named, or not named where negative
    } cases[] = {
        {{u, u}, "", true, {2, 6}},
        {{u, s, u}, "", false, {2, -6, 10}},
        {{u}, s, false, {2}},
        {{u}, tail, true, {2}},
    };
    for (const auto& c : cases) {
        BrokerTable t;
        t.set_last_broker(static_cast<int>(c.names.size()) - 1);
        for (std::size_t r = 0; r < c.names.size(); ++r)
            t.broker(static_cast<int>(r)).name = c.names[r];
        put(serialize_data_file(t).value() + c.after);
        std::string warning;
        ASSERT_TRUE(read_data_file(path(), t, &warning).ok());
        EXPECT_EQ(warning.find("iconv") != std::string::npos, c.converts) << warning;
        for (const int line : c.lines)
            EXPECT_EQ(warning.find(std::to_string(std::abs(line)) + " 行目") != std::string::npos, line > 0)
                << line << warning;
    }
}

// CP932 names that happen to be valid UTF-8 still load: the program writes them.
TEST_F(DataFile, Cp932NamesThatAreAlsoValidUtf8Load)
{
    for (const QString& name : {QStringLiteral("ﾃｽ"), QStringLiteral("ﾂｱ"), QStringLiteral("証券"),
                                QStringLiteral("マネックス証券"), QStringLiteral("Ｃａｆｅ")}) {
        std::string f = example_file();
        f.replace(f.find(sjis(QStringLiteral("サンプル証券"))), 12, sjis(name));
        put(f);
        BrokerTable t;
        const auto r = read_data_file(path(), t);
        ASSERT_TRUE(r.ok()) << r.error().message;
        EXPECT_EQ(decode_cp932(t.broker(0).name), name);
    }
}

// The conversion the message gives turns the UTF-8 file into the one it should be.
TEST_F(DataFile, TheConversionTheMessageGivesWorks)
{
    if (QStandardPaths::findExecutable("iconv").isEmpty())
        GTEST_SKIP() << "no iconv";
    std::string utf8 = example_file();
    utf8.replace(utf8.find(sjis(QStringLiteral("サンプル証券"))), 12,
                 QStringLiteral("サンプル証券").toStdString());
    for (const char* const command : {"iconv -f UTF-8 -t CP932 compare.dat > sjis.dat",
                                      "tail -c +4 compare.dat | iconv -f UTF-8 -t CP932 > sjis.dat"}) {
        put(std::string(command).starts_with("tail") ? "\xEF\xBB\xBF" + utf8 : utf8);
        QProcess shell;
        shell.setWorkingDirectory(dir_.path());
        shell.start("/bin/sh", {"-c", command});
        ASSERT_TRUE(shell.waitForFinished(30'000));
        ASSERT_EQ(shell.exitCode(), 0) << command;
        EXPECT_EQ(get("sjis.dat"), example_file()) << command;
    }
}
