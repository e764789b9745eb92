#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/replay/csv_records.h"
#include "core/replay/history_cells.h"
#include "qt_print.h"

using namespace fee;

namespace {

constexpr auto kUtf8 = HistoryEncoding::Utf8;
constexpr auto kCp932 = HistoryEncoding::Cp932;

std::int64_t units(double yen)
{
    return Money::from_double_yen_half_even(yen)->units();
}

TEST(HistoryCells, ReadsEveryDateFormAndRefusesTheRest)
{
    const struct {
        std::string bytes;
        HistoryEncoding encoding;
        std::optional<HistoryDate> expected;
    } cases[] = {
        // Forms: catches a reader of zero-padded dates only, of one separator only, of 年月日
        // in one encoding only, without full-width folding, or refusing a time after the date.
        {"2025/03/04", kUtf8, 20250304},
        {"2025/3/4", kUtf8, 20250304},
        {"2025-03-04", kUtf8, 20250304},
        {"2025/12/31 23:59:59", kUtf8, 20251231},
        {"2025-03-04T09:00", kUtf8, 20250304},
        {"2025年3月4日", kUtf8, 20250304},
        {"2025年03月04日 10:00", kUtf8, 20250304},
        {"2025\x94\x4E\x33\x8C\x8E\x34\x93\xFA", kCp932, 20250304},
        {"２０２５／０３／０４", kUtf8, 20250304},
        {"２０２５／３／４　１０：００", kUtf8, 20250304},
        {"\x82\x51\x82\x4F\x82\x51\x82\x54\x94\x4E\x82\x52\x8C\x8E\x82\x53\x93\xFA", kCp932, 20250304},
        // Calendar: catches a month-length table off by one, a missing or wrong leap-year rule.
        {"2024/02/29", kUtf8, 20240229},
        {"2000/2/29", kUtf8, 20000229},
        {"2025/02/29", kUtf8, std::nullopt},
        {"1900/2/29", kUtf8, std::nullopt},
        {"2025/02/30", kUtf8, std::nullopt},
        {"2025/04/31", kUtf8, std::nullopt},
        {"2025/13/01", kUtf8, std::nullopt},
        {"2025/00/10", kUtf8, std::nullopt},
        // Shape: catches a reader that stops at the date and ignores what follows, or mixes marks.
        {"2025/03/04x", kUtf8, std::nullopt},
        {"2025/3/4/", kUtf8, std::nullopt},
        {"2025/03/045", kUtf8, std::nullopt},
        {"2025/3", kUtf8, std::nullopt},
        {"25/3/4", kUtf8, std::nullopt},
        {"2025年3月4", kUtf8, std::nullopt},
        {"2025年3/4", kUtf8, std::nullopt},
        {"", kUtf8, std::nullopt},
        {"--", kUtf8, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_date(c.bytes, c.encoding), c.expected) << c.bytes;

    // A quoted cell reaches the reader as its text. Catches quotes left on the cell.
    std::string scratch;
    EXPECT_EQ(read_date(field_text("\"2025/3/4\"", scratch), kUtf8), 20250304);
}

TEST(HistoryCells, ReadsFiguresToTheTenThousandthOfAYen)
{
    using K = Figure::Kind;
    const struct {
        std::string bytes;
        HistoryEncoding encoding;
        K kind;
        double yen;
    } cases[] = {
        // None: catches a dash or an empty cell read as zero or as unreadable.
        {"", kUtf8, K::None, 0},
        {"-", kUtf8, K::None, 0},
        {"--", kUtf8, K::None, 0},
        {"－", kUtf8, K::None, 0},
        {"\x81\x7C", kCp932, K::None, 0},
        // Numbers: catches lost decimals, a sign dropped, a yen mark or 円 refused, no full-width folding.
        {"1,066.5", kUtf8, K::Number, 1066.5},
        {"1,234,567", kUtf8, K::Number, 1234567},
        {"-2,000", kUtf8, K::Number, -2000},
        {"+5", kUtf8, K::Number, 5},
        {"0.0001", kUtf8, K::Number, 0.0001},
        {"1.23450000", kUtf8, K::Number, 1.2345},
        {"１，０６６．５", kUtf8, K::Number, 1066.5},
        {"－1,000", kUtf8, K::Number, -1000},
        {"\x82\x50\x82\x4F\x82\x4F", kCp932, K::Number, 100},
        {"¥2,000", kUtf8, K::Number, 2000},
        {"￥2,000", kUtf8, K::Number, 2000},
        {"\\2,000", kCp932, K::Number, 2000},
        {"\x81\x8F\x82\x54\x82\x4F\x82\x4F", kCp932, K::Number, 500},
        {"2,000円", kUtf8, K::Number, 2000},
        {"2,000\x89\x7E", kCp932, K::Number, 2000},
        // Bad: catches lax grouping, a fifth decimal rounded away, junk ignored, overflow wrapped.
        {"1,0666", kUtf8, K::Bad, 0},
        {"1234,567", kUtf8, K::Bad, 0},
        {",123", kUtf8, K::Bad, 0},
        {"1,,000", kUtf8, K::Bad, 0},
        {"1,06.5", kUtf8, K::Bad, 0},
        {"1,", kUtf8, K::Bad, 0},
        {"1.00001", kUtf8, K::Bad, 0},
        {"12a", kUtf8, K::Bad, 0},
        {"1e3", kUtf8, K::Bad, 0},
        {"¥", kUtf8, K::Bad, 0},
        {"922337203685477.5808", kUtf8, K::Bad, 0},
        {"10,000,000,000,000,000", kUtf8, K::Bad, 0},
    };
    for (const auto& c : cases) {
        const Figure f = read_figure(c.bytes, c.encoding);
        EXPECT_EQ(f.kind, c.kind) << c.bytes;
        if (c.kind == K::Number) {
            EXPECT_EQ(f.value.units(), units(c.yen)) << c.bytes;
        }
    }
    // The largest amount money holds still reads. Catches an overflow check one digit early.
    EXPECT_EQ(read_figure("922,337,203,685,477.5807", kUtf8).value, Money::max());
}

TEST(HistoryCells, MultipliesExactlyAndRoundsHalfToEven)
{
    // Catches rounding half up or away from zero, a sign-dependent rounding, the flag set on exact products.
    const struct {
        double quantity, price, product;
        bool rounded;
    } cases[] = {
        {100, 1066.5, 106650, false},  {1000, 512, 512000, false},    {0, 2650.5, 0, false},
        {-3, 0.5, -1.5, false},        {0.5, 0.0003, 0.0002, true},   {0.5, 0.0005, 0.0002, true},
        {0.5, 0.0001, 0, true},        {0.6, 0.0001, 0.0001, true},   {0.4, 0.0001, 0, true},
        {-0.5, 0.0003, -0.0002, true}, {-0.5, 0.0005, -0.0002, true}, {0.5, -0.0001, 0, true},
        {-0.6, 0.0001, -0.0001, true}, {1.5, 0.0001, 0.0002, true},   {2.5, 0.0001, 0.0002, true},
    };
    for (const auto& c : cases) {
        bool rounded = !c.rounded;
        const auto product = times_price(*Money::from_double_yen_half_even(c.quantity),
                                         *Money::from_double_yen_half_even(c.price), rounded);
        ASSERT_TRUE(product) << c.quantity << " x " << c.price;
        EXPECT_EQ(product->units(), units(c.product)) << c.quantity << " x " << c.price;
        EXPECT_EQ(rounded, c.rounded) << c.quantity << " x " << c.price;
    }
    // Range: catches a 64-bit product that wraps instead of refusing.
    bool rounded = false;
    const Money one = *Money::from_yen(1), two = *Money::from_yen(2), minus_one = *Money::from_yen(-1);
    EXPECT_EQ(times_price(Money::max(), one, rounded), Money::max());
    EXPECT_EQ(times_price(Money::min(), one, rounded), Money::min());
    EXPECT_EQ(times_price(Money::max(), two, rounded), std::nullopt);
    EXPECT_EQ(times_price(Money::min(), minus_one, rounded), std::nullopt);
    EXPECT_EQ(times_price(Money::max(), Money::max(), rounded), std::nullopt);
}

TEST(HistoryCells, HeadersCompareWithoutBracketsBlanksOrWidth)
{
    // Catches no NFKC (full-width brackets, letters and half-width kana stay), one bracket kind
    // only, blanks kept, nesting not followed.
    const struct {
        QString cell, expected;
    } cases[] = {
        {QStringLiteral("約定日"), QStringLiteral("約定日")},
        {QStringLiteral("約定日（受渡日）"), QStringLiteral("約定日")},
        {QStringLiteral("単価(円)"), QStringLiteral("単価")},
        {QStringLiteral("数量［株］"), QStringLiteral("数量")},
        {QStringLiteral("手数料(税込)合計"), QStringLiteral("手数料合計")},
        {QStringLiteral("金額(税(込))"), QStringLiteral("金額")},
        {QStringLiteral(" 受渡金額 (円) [税込] "), QStringLiteral("受渡金額")},
        {QStringLiteral("約定　単価"), QStringLiteral("約定単価")},
        {QStringLiteral("ｶﾌﾞ数"), QStringLiteral("カブ数")},
        {QStringLiteral("Ｑｔｙ"), QStringLiteral("Qty")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normalised_header(c.cell), c.expected);
}

TEST(HistoryCells, TellsUtf8FromOtherBytes)
{
    // Catches overlong forms, surrogates or code points past U+10FFFF let through, a sequence cut
    // short at the end read past it, and the boundaries of each length refused.
    const struct {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {std::string("a\0b", 3), true},
        {"\xC2\x80", true},
        {"\xE0\xA0\x80", true},
        {"\xE8\xA1\xA8", true},
        {"\xED\x9F\xBF", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xC0\x80", false},
        {"\xE0\x9F\xBF", false},
        {"\xF0\x8F\xBF\xBF", false},
        {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false},
        {"\xF5\x80\x80\x80", false},
        {"\xF8\x88\x80\x80\x80", false},
        {"\x80", false},
        {"a\xE3\x81", false},
        {"\xF0\x9F\x98", false},
        {"\xC3\x41", false},
        {"\x95\x5C", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(is_valid_utf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
    // A view cut inside a character, before bytes that would complete it: catches a read past the end.
    EXPECT_FALSE(is_valid_utf8(std::string_view("\xE3\x81\x82").substr(0, 2)));
}

TEST(HistoryCells, DecodesCellsInTheFilesEncoding)
{
    // Catches the encoding ignored, which would show the yen sign as a backslash or garble CP932.
    const struct {
        std::string bytes;
        HistoryEncoding encoding;
        QString expected;
    } cases[] = {
        {"\x95\x5C", kCp932, QStringLiteral("表")},      {"\\100", kCp932, QStringLiteral("¥100")},
        {"\\100", kUtf8, QStringLiteral("\\100")},       {"表", kUtf8, QStringLiteral("表")},
        {"\x95\x5C", kUtf8, QStringLiteral("\uFFFD\\")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decode_cell(c.bytes, c.encoding), c.expected);
}

} // namespace
