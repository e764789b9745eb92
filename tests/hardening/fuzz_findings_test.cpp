// What the fuzz targets found, pinned so it stays fixed.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <random>
#include <string>

#include "core/datafile/data_file.h"
#include "core/money/number_text.h"
#include "qt_print.h"

using namespace fee;

namespace {

// Overlong UTF-8 forms decoded to ASCII: "\xC0\xB0" read as a hidden "0" made
// "1\xC0\xB0002472" the number 10002472. Texts now arrive as UTF-16; whatever
// turns such bytes into a string must not turn them into digits either.
TEST(FuzzFindings, OverlongUtf8IsNotANumber)
{
    const char* const texts[] = {
        "1\xC0\xB0"
        "002472", // overlong "0"
        "\xC0\xAD"
        "1", // overlong "-"
        "1\xC0\xAE"
        "5",                 // overlong "."
        "1\xE0\x80\xB0",     // three-byte overlong "0"
        "\xF0\x80\x80\xB1",  // four-byte overlong "1"
        "1\xED\xA0\x80",     // a surrogate
        "1\xF4\x90\x80\x80", // past U+10FFFF
    };
    for (const char* bytes : texts) {
        SCOPED_TRACE(bytes);
        const QString t = QString::fromUtf8(bytes);
        EXPECT_EQ(parse_currency(t).error().kind, ParseError::Kind::NotNumber);
        EXPECT_EQ(parse_single(t).error().kind, ParseError::Kind::NotNumber);
        EXPECT_EQ(parse_byte(t).error().kind, ParseError::Kind::NotNumber);
        EXPECT_EQ(parse_int32(t).error().kind, ParseError::Kind::NotNumber);
    }
    // The proper forms of the characters around them still read.
    EXPECT_EQ(parse_currency(u"１，０００．５").value(), Money::from_units(10'005'000));
    EXPECT_EQ(parse_int32(QString::fromUtf8("\xF0\x9F\x98\x80")).error().kind,
              ParseError::Kind::NotNumber); // an emoji
}

// The general form keeps seven significant digits, so a rate typed with more
// comes back as the nearest seven-digit value: 0.100000148059082 is stored as
// the single 0.10000015050..., which shows as 0.1000002, half a unit of the
// seventh digit away. Not a fault; pinned because the first fuzz oracle
// assumed a tighter bound.
TEST(FuzzFindings, ARateWithMoreThanSevenDigitsComesBackAtSeven)
{
    const float typed = parse_single(u"0.100000148059082").value();
    EXPECT_EQ(general_form(typed), "0.1000002");
    const float shown = parse_single(general_form(typed)).value();
    EXPECT_NE(shown, typed);
    EXPECT_EQ(general_form(shown), "0.1000002");
}

// Every text of at most seven significant digits, at every scale, survives the
// general form exactly; a single is then written the same way forever after.
TEST(FuzzFindings, SevenSignificantDigitsSurviveTheGeneralForm)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> digits(1, 9'999'999);
    std::uniform_int_distribution<int> exponent(-45, 38);
    int checked = 0;
    for (int i = 0; i < 200'000; ++i) {
        const std::string text = std::to_string(digits(random)) + "E" + std::to_string(exponent(random) - 6);
        const auto r = parse_single(QString::fromStdString(text));
        if (!r)
            continue;
        const QString g = general_form(r.value());
        const auto back = parse_single(g);
        ASSERT_TRUE(back.ok()) << text << " -> " << g;
        ASSERT_EQ(back.value(), r.value()) << text << " -> " << g;
        ASSERT_EQ(general_form(back.value()), g) << text;
        ++checked;
    }
    EXPECT_GT(checked, 190'000);
}

// The currency form of the last half yen below the top of the range rounds to
// a whole yen outside it: the editor then refuses its own text with the
// out-of-range message rather than store a wrong value.
TEST(FuzzFindings, TheCurrencyFormAtTheEndOfTheRangeDoesNotReadBack)
{
    const Money top = Money::max();
    EXPECT_EQ(currency_form(top), "¥922,337,203,685,478");
    EXPECT_EQ(parse_currency(currency_form(top)).error().kind, ParseError::Kind::OutOfRange);
    EXPECT_EQ(parse_currency(general_form(top)).value(), top);
    const Money below = Money::from_units(9'223'372'036'854'774'999);
    EXPECT_EQ(parse_currency(currency_form(below)).value(), Money::from_units(9'223'372'036'854'770'000));
}

} // namespace

namespace {

// Next to a power of ten the singles can be coarser than seven digits. The
// general form of 1.000000067E-38 was "1E-38", whose nearest single shows as
// "9.999999E-39": a file with such a rate changed on every save. The same
// happened just above 1E+28. The text written is now the one that stays.
TEST(FuzzFindings, TheGeneralFormOfASingleIsWrittenTheSameWayEverySave)
{
    for (const char* typed : {"0.00000000000000000000000000000000000001000000067", "1.00000006E+28",
                              "1.0000003E+28", "1E+28", "1E-38"}) {
        SCOPED_TRACE(typed);
        const float value = parse_single(QString::fromLatin1(typed)).value();
        const QString first = general_form(value);
        const float back = parse_single(first).value();
        EXPECT_EQ(general_form(back), first);
        EXPECT_EQ(parse_single(general_form(back)).value(), back);
        // Within one unit of the seventh digit of the value.
        const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(value))) - 6);
        EXPECT_LE(std::fabs(static_cast<double>(back) - value), unit);
    }
    EXPECT_EQ(general_form(parse_single(u"1.00000006E+28").value()), "9.999999E+27");
    // Plain rates are untouched.
    EXPECT_EQ(general_form(0.0115f), "0.0115");
    EXPECT_EQ(general_form(parse_single(u"1.5E-06").value()), "1.5E-06");
}

} // namespace

namespace {

// The same finding seen through the file: a rate next to a power of ten made
// every save of an unedited file different from the one before.
TEST(FuzzFindings, AFileWithRatesNextToPowersOfTenIsStableFromTheFirstSave)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("compare.dat");
    QFile::copy(QStringLiteral(FEE_FUZZ_REGRESSIONS "/data_file/rates_next_to_powers_of_ten"), path);
    BrokerTable first;
    ASSERT_TRUE(read_data_file(path, first).ok());
    ASSERT_TRUE(save_data_file(path, first).ok());
    const std::string saved = serialize_data_file(first).value();
    BrokerTable second;
    ASSERT_TRUE(read_data_file(path, second).ok());
    EXPECT_EQ(serialize_data_file(second).value(), saved);
}

} // namespace
