#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "core/money/number_text.h"
#include "qt_print.h"

using namespace fee;
using Kind = ParseError::Kind;

namespace {

std::int64_t units(const char* text)
{
    const auto r = parse_currency(QString::fromUtf8(text));
    EXPECT_TRUE(r.ok()) << text;
    return r ? r.value().units() : -999;
}

Kind currency_error(const char* text)
{
    const auto r = parse_currency(QString::fromUtf8(text));
    EXPECT_FALSE(r.ok()) << text;
    return r ? Kind::NotNumber : r.error().kind;
}

} // namespace

TEST(ParseCurrency, AcceptsEveryFormTheProgramAndUsersWrite)
{
    EXPECT_EQ(units("1000000"), 10'000'000'000);
    EXPECT_EQ(units("1,000,000"), 10'000'000'000);
    EXPECT_EQ(units("¥1,000,000"), 10'000'000'000);
    EXPECT_EQ(units("\\1,000,000"), 10'000'000'000);
    EXPECT_EQ(units("￥1,000,000"), 10'000'000'000);
    EXPECT_EQ(units("  2000 "), 20'000'000);
    EXPECT_EQ(units("\t2000\u3000"), 20'000'000);
    EXPECT_EQ(units("-¥1,000"), -10'000'000);
    EXPECT_EQ(units("¥-1,000"), -10'000'000);
    EXPECT_EQ(units("+5"), 50'000);
    EXPECT_EQ(units("１，０００"), 10'000'000);
    EXPECT_EQ(units("441499.9883"), 4'414'999'883);
    EXPECT_EQ(units(".5"), 5'000);
    EXPECT_EQ(units("5."), 50'000);
    EXPECT_EQ(units("-0"), 0);
    EXPECT_EQ(units("0012"), 120'000);
}

TEST(ParseCurrency, RoundsTheFifthDecimalHalfToEven)
{
    EXPECT_EQ(units("0.00005"), 0);
    EXPECT_EQ(units("0.00015"), 2);
    EXPECT_EQ(units("0.000150001"), 2);
    EXPECT_EQ(units("0.000050001"), 1);
    EXPECT_EQ(units("0.00004999"), 0);
    EXPECT_EQ(units("-0.00015"), -2);
    EXPECT_EQ(units("1.99999"), 20'000);
}

TEST(ParseCurrency, RangeEndsAreExact)
{
    EXPECT_EQ(units("922337203685477.5807"), INT64_MAX);
    EXPECT_EQ(units("-922337203685477.5808"), INT64_MIN);
    EXPECT_EQ(currency_error("922337203685477.5808"), Kind::OutOfRange);
    EXPECT_EQ(currency_error("922337203685477.58075"), Kind::OutOfRange); // rounds up past the end
    EXPECT_EQ(currency_error("-922337203685477.5809"), Kind::OutOfRange);
    EXPECT_EQ(currency_error(std::string(10'000, '9').c_str()), Kind::OutOfRange);
}

TEST(ParseCurrency, RefusesWhatIsNotANumber)
{
    for (const char* bad : {"",      " ",      "\u3000", "abc",   "¥",         "-",        "--1", "1..2",
                            "1,2,3", "1,0000", ",100",   "100,",  "1 000",     "1e5",      "1-",  "¥¥1",
                            "12a",   "0x10",   "(100)",  "1.2.3", "1,000.5,0", "\xff\xfe", "1\n"}) {
        EXPECT_EQ(currency_error(bad), Kind::NotNumber) << bad;
    }
}

TEST(ParseSingle, ReadsRatesToTheNearestSingle)
{
    EXPECT_EQ(parse_single(u"0.0115").value(), 0.0115f);
    EXPECT_EQ(parse_single(u"0.00575").value(), 0.00575f);
    EXPECT_EQ(parse_single(u"1.15E-02").value(), 0.0115f);
    EXPECT_EQ(parse_single(u"1.5e-06").value(), 1.5e-6f);
    EXPECT_EQ(parse_single(u" 0 ").value(), 0.0f);
    EXPECT_EQ(parse_single(u"-0.01").value(), -0.01f);
    EXPECT_EQ(parse_single(u"1,000.5").value(), 1000.5f);
    EXPECT_EQ(parse_single(u"3.4028234e38").value(), std::numeric_limits<float>::max());
    EXPECT_EQ(parse_single(u"1e-50").value(), 0.0f);
    EXPECT_EQ(parse_single(u"0.1e-40").value(), 1e-41f); // a subnormal still reads
    EXPECT_EQ(parse_single(u"1e400").error().kind, Kind::OutOfRange);
    EXPECT_EQ(parse_single(u"3.5e38").error().kind, Kind::OutOfRange);
    for (const char* bad : {"", "e5", "1e", "1e+", "0.01%", "1.5E-06x", "inf", "nan", "¥0.01e"})
        EXPECT_EQ(parse_single(QString::fromUtf8(bad)).error().kind, Kind::NotNumber) << bad;
}

TEST(ParseWholeNumbers, RoundHalvesToEvenAndCheckTheRange)
{
    EXPECT_EQ(parse_int32(u"2.5").value(), 2);
    EXPECT_EQ(parse_int32(u"3.5").value(), 4);
    EXPECT_EQ(parse_int32(u"2.5000001").value(), 3);
    EXPECT_EQ(parse_int32(u"-2.5").value(), -2);
    EXPECT_EQ(parse_int32(u"2,147,483,647").value(), INT32_MAX);
    EXPECT_EQ(parse_int32(u"-2147483648").value(), INT32_MIN);
    EXPECT_EQ(parse_int32(u"2147483647.5").error().kind, Kind::OutOfRange);
    EXPECT_EQ(parse_int32(u"-2147483649").error().kind, Kind::OutOfRange);

    EXPECT_EQ(parse_byte(u"255").value(), 255);
    EXPECT_EQ(parse_byte(u"0.5").value(), 0);
    EXPECT_EQ(parse_byte(u"-0.4").value(), 0);
    EXPECT_EQ(parse_byte(u"20").value(), 20);
    EXPECT_EQ(parse_byte(u"256").error().kind, Kind::OutOfRange);
    EXPECT_EQ(parse_byte(u"255.5").error().kind, Kind::OutOfRange);
    EXPECT_EQ(parse_byte(u"-1").error().kind, Kind::OutOfRange);
    EXPECT_EQ(parse_byte(u"1e1").error().kind, Kind::NotNumber);
}

TEST(GeneralForm, CurrencyIsPlainDecimalWithoutTrailingZeros)
{
    EXPECT_EQ(general_form(Money::from_units(20'000'000)), "2000");
    EXPECT_EQ(general_form(Money{}), "0");
    EXPECT_EQ(general_form(Money::from_units(4'414'999'883)), "441499.9883");
    EXPECT_EQ(general_form(Money::from_units(5'000)), "0.5");
    EXPECT_EQ(general_form(Money::from_units(-15'000)), "-1.5");
    EXPECT_EQ(general_form(Money::from_units(1)), "0.0001");
    EXPECT_EQ(general_form(Money::min()), "-922337203685477.5808");
    EXPECT_EQ(general_form(Money::max()), "922337203685477.5807");
}

TEST(GeneralForm, SingleHasSevenSignificantDigits)
{
    EXPECT_EQ(general_form(0.0115f), "0.0115");
    EXPECT_EQ(general_form(0.009f), "0.009");
    EXPECT_EQ(general_form(0.00575f), "0.00575");
    EXPECT_EQ(general_form(0.00375f), "0.00375");
    EXPECT_EQ(general_form(0.0f), "0");
    EXPECT_EQ(general_form(-0.0f), "0");
    EXPECT_EQ(general_form(1.0f), "1");
    EXPECT_EQ(general_form(1234567.0f), "1234567");
    EXPECT_EQ(general_form(0.1f), "0.1");
    EXPECT_EQ(general_form(1.0f / 3.0f), "0.3333333");
    EXPECT_EQ(general_form(-0.01f), "-0.01");
    EXPECT_EQ(general_form(0.00001f), "0.00001");
    EXPECT_EQ(general_form(1.5e-6f), "1.5E-06");
    EXPECT_EQ(general_form(12345678.0f), "1.234568E+07");
    EXPECT_EQ(general_form(std::numeric_limits<float>::max()), "3.402823E+38");
}

TEST(GeneralForm, RatesWithSixDigitsSurviveATrip)
{
    for (const char* text : {"0.0115", "0.00575", "0.123456", "123456", "0.000001", "9.99999E-20", "0.3"}) {
        const float v = parse_single(QString::fromUtf8(text)).value();
        EXPECT_EQ(parse_single(general_form(v)).value(), v) << text;
    }
}

TEST(CurrencyForm, WholeYenWithSeparatorsHalvesAwayFromZero)
{
    auto yen = [](std::int64_t u) { return currency_form(Money::from_units(u)); };
    EXPECT_EQ(yen(10'000'000'000), "¥1,000,000");
    EXPECT_EQ(yen(2'725'000'000), "¥272,500");
    EXPECT_EQ(yen(0), "¥0");
    EXPECT_EQ(yen(4'414'999'883), "¥441,500");
    EXPECT_EQ(yen(9'990'000), "¥999");
    EXPECT_EQ(yen(5'000), "¥1");
    EXPECT_EQ(yen(4'999), "¥0");
    EXPECT_EQ(yen(-5'000), "-¥1");
    EXPECT_EQ(yen(-4'999), "¥0");
    EXPECT_EQ(yen(-10'000'000), "-¥1,000");
    EXPECT_EQ(yen(INT64_MIN), "-¥922,337,203,685,478");
    EXPECT_EQ(yen(INT64_MAX), "¥922,337,203,685,478");
}

TEST(CurrencyForm, ParsesBackToTheWholeYenItShows)
{
    for (std::int64_t u :
         {0LL, 10'000'000'000LL, -10'000'000LL, 4'414'999'883LL, 9'223'372'036'854'770'000LL}) {
        const Money m = Money::from_units(u);
        const auto back = parse_currency(currency_form(m));
        ASSERT_TRUE(back.ok()) << currency_form(m);
        EXPECT_EQ(back.value().units(), (u + (u >= 0 ? 5000 : -5000)) / 10000 * 10000) << u;
        EXPECT_EQ(parse_currency(general_form(m)).value(), m);
    }
}
