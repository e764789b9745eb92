// Number parsing on arbitrary bytes: never crashes, the four target types agree
// with each other, and every text form the program writes parses back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/money/number_text.h"
#include "fuzz_check.h"

namespace {

using fee::Money;
using fee::ParseError;
using Int128 = __int128;

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + "\"";
}

// Significant digits of the mantissa as typed (ASCII or full-width digits before
// any exponent), or -1 when the text has an exponent we do not follow.
int significant_digits(std::string_view text)
{
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= '0' && c <= '9') {
            digits += static_cast<char>(c);
        } else if (c == 'e' || c == 'E') {
            break;
        } else if (c == 0xEF && i + 2 < text.size()) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            if (b1 == 0xBC && b2 >= 0x90 && b2 <= 0x99) {
                digits += static_cast<char>('0' + (b2 - 0x90));
                i += 2;
            } else if ((b1 == 0xBC && b2 == 0xA5) || (b1 == 0xBD && b2 == 0x85)) {
                break; // Ｅ or ｅ
            }
        }
    }
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return 0;
    const auto last = digits.find_last_not_of('0');
    return static_cast<int>(last - first + 1);
}

// Strict UTF-8 (RFC 3629): shortest forms only, no surrogates, nothing past U+10FFFF.
bool valid_utf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80                 ? 1
                  : b >= 0xC2 && b <= 0xDF ? 2
                  : b >= 0xE0 && b <= 0xEF ? 3
                  : b >= 0xF0 && b <= 0xF4 ? 4
                                           : 0;
        if (len == 0 || i + len > s.size())
            return false;
        const auto b1 = len > 1 ? static_cast<unsigned char>(s[i + 1]) : 0x80;
        unsigned char lo = 0x80, hi = 0xBF;
        if (b == 0xE0)
            lo = 0xA0;
        else if (b == 0xED)
            hi = 0x9F;
        else if (b == 0xF0)
            lo = 0x90;
        else if (b == 0xF4)
            hi = 0x8F;
        if (len > 1 && (b1 < lo || b1 > hi))
            return false;
        for (int k = 2; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

// The parsers take UTF-16, as the windows hold it; Qt decodes the fuzzer's bytes,
// and bytes that are not UTF-8 become U+FFFD, which is never part of a number.
QString utf16(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Half away from zero, as the currency form rounds to whole yen.
Int128 whole_yen_units(Money m)
{
    const Int128 u = m.units();
    const Int128 mag = u < 0 ? -u : u;
    Int128 yen = mag / Money::kScale + (mag % Money::kScale >= Money::kScale / 2 ? 1 : 0);
    return (u < 0 ? -yen : yen) * Money::kScale;
}

void check_currency(std::string_view text)
{
    const auto r = fee::parse_currency(utf16(text));
    if (!r)
        return;
    const Money v = r.value();
    const std::string g = fee::general_form(v).toStdString();
    const auto back = fee::parse_currency(QString::fromStdString(g));
    FUZZ_CHECK(back && back.value() == v, "currency " + quoted(text) + " -> general form " + g);

    const std::string c = fee::currency_form(v).toStdString();
    const auto shown = fee::parse_currency(QString::fromStdString(c));
    const Int128 rounded = whole_yen_units(v);
    if (rounded > INT64_MAX || rounded < INT64_MIN) {
        // Only the last half yen below the range's ends rounds out of it.
        FUZZ_CHECK(!shown && shown.error().kind == ParseError::Kind::OutOfRange,
                   "currency " + quoted(text) + " -> currency form " + c);
    } else {
        FUZZ_CHECK(shown && shown.value().units() == static_cast<std::int64_t>(rounded),
                   "currency " + quoted(text) + " -> currency form " + c);
    }
}

void check_single(std::string_view text)
{
    const auto r = fee::parse_single(utf16(text));
    if (!r)
        return;
    const float f = r.value();
    FUZZ_CHECK(std::isfinite(f), "single " + quoted(text) + " is not finite");
    const std::string g = fee::general_form(f).toStdString();
    const auto back = fee::parse_single(QString::fromStdString(g));
    FUZZ_CHECK(back.ok(), "single " + quoted(text) + " -> general form " + g + " does not parse");
    const float f2 = back.value();

    // Seven digits identify every single that came from a text of at most seven
    // significant digits; longer texts come back as the nearest 7-digit value.
    if (significant_digits(text) <= 7 && significant_digits(text) >= 0) {
        FUZZ_CHECK(f2 == f, "single " + quoted(text) + " -> general form " + g + " changes the value");
    } else {
        // Half a unit of the seventh digit, plus the rounding to a single.
        const double magnitude = std::fabs(static_cast<double>(f));
        const double seventh = std::pow(10.0, std::floor(std::log10(magnitude)) - 6);
        const double tolerance = seventh * 0.5001 + magnitude * 1.2e-7 + 1e-45;
        FUZZ_CHECK(std::fabs(static_cast<double>(f2) - f) <= tolerance,
                   "single " + quoted(text) + " -> general form " + g + " is too far off");
    }
    // A value written once is stable: the next write is the same text.
    FUZZ_CHECK(fee::general_form(f2).toStdString() == g,
               "single " + quoted(text) + " -> " + g + " -> " + fee::general_form(f2).toStdString());
}

void check_whole_numbers(std::string_view text)
{
    const auto b = fee::parse_byte(utf16(text));
    const auto i = fee::parse_int32(utf16(text));
    const auto c = fee::parse_currency(utf16(text));

    if (i) {
        const std::string g = fee::general_form(std::int64_t{i.value()}).toStdString();
        const auto back = fee::parse_int32(QString::fromStdString(g));
        FUZZ_CHECK(back && back.value() == i.value(), "int32 " + quoted(text) + " -> " + g);
        // Same text, same number: the currency is the exact value, the count its rounding.
        FUZZ_CHECK(c.ok(), "int32 accepts " + quoted(text) + " but currency does not");
        const Int128 diff = Int128{c.value().units()} - Int128{i.value()} * Money::kScale;
        FUZZ_CHECK(diff <= Money::kScale / 2 && diff >= -Money::kScale / 2,
                   "int32 and currency disagree on " + quoted(text));
    }
    // A byte is an int32 in 0..255 by the same rules.
    if (b) {
        FUZZ_CHECK(i && i.value() == b.value(), "byte and int32 disagree on " + quoted(text));
        const auto back = fee::parse_byte(fee::general_form(std::int64_t{b.value()}));
        FUZZ_CHECK(back && back.value() == b.value(), "byte " + quoted(text));
    } else if (i) {
        FUZZ_CHECK(i.value() < 0 || i.value() > 255,
                   "byte refuses " + quoted(text) + " that int32 reads in range");
        FUZZ_CHECK(b.error().kind == ParseError::Kind::OutOfRange,
                   "byte " + quoted(text) + " is not out of range");
    } else {
        FUZZ_CHECK(b.error().kind == i.error().kind, "byte and int32 fail differently on " + quoted(text));
    }
    if (c && !i) {
        FUZZ_CHECK(i.error().kind == ParseError::Kind::OutOfRange,
                   "currency reads " + quoted(text) + " but int32 calls it not a number");
    }
    // Without an exponent a rate reads the same decimal.
    if (c) {
        const auto s = fee::parse_single(utf16(text));
        FUZZ_CHECK(s.ok(), "currency reads " + quoted(text) + " but single does not");
        const double exact = static_cast<double>(c.value().units()) / Money::kScale;
        const double tolerance = std::fabs(exact) * 1.2e-7 + 0.5 / Money::kScale + 1e-12;
        FUZZ_CHECK(std::fabs(static_cast<double>(s.value()) - exact) <= tolerance,
                   "single and currency disagree on " + quoted(text));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!valid_utf8(text)) {
        FUZZ_CHECK(!fee::parse_currency(utf16(text)) && !fee::parse_single(utf16(text)) &&
                       !fee::parse_int32(utf16(text)) && !fee::parse_byte(utf16(text)),
                   "a text that is not UTF-8 parses: " + quoted(text));
        return 0;
    }
    check_currency(text);
    check_single(text);
    check_whole_numbers(text);
    return 0;
}
