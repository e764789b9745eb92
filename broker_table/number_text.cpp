#include "broker_table/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace fee {
namespace {

using Int128 = __int128;

// Decodes one UTF-8 code point; returns false on malformed input.
bool next_code_point(std::string_view s, std::size_t& i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    int len = 0;
    if (b0 < 0x80) {
        cp = b0;
        len = 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F;
        len = 2;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F;
        len = 3;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07;
        len = 4;
    } else {
        return false;
    }
    if (i + len > s.size())
        return false;
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms ("\xC0\xB0" for "0"), surrogates and values past U+10FFFF
    // are not UTF-8; reading them would let a disguised digit or sign through.
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += len;
    return true;
}

constexpr char kYen = 'Y'; // stand-in for every yen sign after folding

// Folds the text to ASCII symbols: digits, signs, ',', '.', 'e', 'Y' and ' ' for
// blanks. Any other character makes the text not a number.
std::optional<std::string> fold(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        if (!next_code_point(text, i, cp))
            return std::nullopt;
        if (cp >= U'０' && cp <= U'９')
            cp = U'0' + (cp - U'０');
        switch (cp) {
        case U'\t':
        case U'\u3000':
            out.push_back(' ');
            continue;
        case U'¥':
        case U'\\':
        case U'￥':
            out.push_back(kYen);
            continue;
        case U'－':
        case U'\u2212':
            out.push_back('-');
            continue;
        case U'＋':
            out.push_back('+');
            continue;
        case U'，':
            out.push_back(',');
            continue;
        case U'．':
            out.push_back('.');
            continue;
        case U'E':
        case U'ｅ':
        case U'Ｅ':
            out.push_back('e');
            continue;
        default:
            break;
        }
        if ((cp >= U'0' && cp <= U'9') || cp == U' ' || cp == U'-' || cp == U'+' || cp == U',' ||
            cp == U'.' || cp == U'e') {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        return std::nullopt;
    }
    return out;
}

struct Decimal {
    bool negative = false;
    std::string int_digits; // without separators
    std::string frac_digits;
    long exponent = 0; // only when exponents are allowed
};

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<Decimal> scan(std::string_view text, bool allow_exponent)
{
    const auto folded = fold(text);
    if (!folded)
        return std::nullopt;
    std::string_view s = *folded;
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);

    Decimal d;
    std::size_t i = 0;
    bool have_sign = false;
    bool have_yen = false;
    // Sign and yen sign in either order, each at most once.
    while (i < s.size()) {
        if (!have_sign && (s[i] == '-' || s[i] == '+')) {
            d.negative = s[i] == '-';
            have_sign = true;
            ++i;
        } else if (!have_yen && s[i] == kYen) {
            have_yen = true;
            ++i;
        } else {
            break;
        }
    }

    // Integer part, with commas only between groups of three.
    std::size_t group = 0;
    bool seen_comma = false;
    while (i < s.size() && (is_digit(s[i]) || s[i] == ',')) {
        if (s[i] == ',') {
            if (d.int_digits.empty() || (seen_comma ? group != 3 : group > 3))
                return std::nullopt;
            seen_comma = true;
            group = 0;
        } else {
            d.int_digits.push_back(s[i]);
            ++group;
        }
        ++i;
    }
    if (seen_comma && group != 3)
        return std::nullopt;

    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i]))
            d.frac_digits.push_back(s[i++]);
    }
    if (d.int_digits.empty() && d.frac_digits.empty())
        return std::nullopt;

    if (allow_exponent && i < s.size() && s[i] == 'e') {
        ++i;
        bool exp_negative = false;
        if (i < s.size() && (s[i] == '-' || s[i] == '+'))
            exp_negative = s[i++] == '-';
        if (i >= s.size() || !is_digit(s[i]))
            return std::nullopt;
        long exp = 0;
        while (i < s.size() && is_digit(s[i])) {
            if (exp < 100'000)
                exp = exp * 10 + (s[i] - '0');
            ++i;
        }
        d.exponent = exp_negative ? -exp : exp;
    }
    if (i != s.size())
        return std::nullopt;
    return d;
}

// The magnitude scaled by 10^decimals and rounded half to even, or empty when it
// exceeds what any caller can hold.
std::optional<Int128> scaled_magnitude(const Decimal& d, int decimals)
{
    constexpr Int128 kCap = static_cast<Int128>(1) << 100;
    Int128 v = 0;
    auto push = [&](char c) {
        v = v * 10 + (c - '0');
        return v < kCap;
    };
    for (char c : d.int_digits)
        if (!push(c))
            return std::nullopt;
    for (int k = 0; k < decimals; ++k)
        if (!push(k < static_cast<int>(d.frac_digits.size()) ? d.frac_digits[k] : '0'))
            return std::nullopt;

    if (static_cast<int>(d.frac_digits.size()) > decimals) {
        const char first = d.frac_digits[decimals];
        bool rest_nonzero = false;
        for (std::size_t k = decimals + 1; k < d.frac_digits.size(); ++k)
            rest_nonzero = rest_nonzero || d.frac_digits[k] != '0';
        const bool up = first > '5' || (first == '5' && (rest_nonzero || (v % 2) == 1));
        if (up)
            ++v;
    }
    return v;
}

template <typename T>
Result<T, ParseError> parse_exact(std::string_view text, int decimals, Int128 lowest, Int128 highest)
{
    const auto d = scan(text, false);
    if (!d)
        return ParseError{ParseError::Kind::NotNumber};
    const auto mag = scaled_magnitude(*d, decimals);
    if (!mag)
        return ParseError{ParseError::Kind::OutOfRange};
    const Int128 v = d->negative ? -*mag : *mag;
    if (v < lowest || v > highest)
        return ParseError{ParseError::Kind::OutOfRange};
    return static_cast<T>(v);
}

std::string group_thousands(std::string digits)
{
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t k = 0; k < n; ++k) {
        if (k > 0 && (n - k) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[k]);
    }
    return out;
}

std::uint64_t magnitude(std::int64_t v)
{
    return v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

} // namespace

Result<Money, ParseError> parse_currency(std::string_view text)
{
    auto r = parse_exact<std::int64_t>(text, 4, std::numeric_limits<std::int64_t>::min(),
                                       std::numeric_limits<std::int64_t>::max());
    if (!r)
        return r.error();
    return Money::from_units(r.value());
}

Result<std::uint8_t, ParseError> parse_byte(std::string_view text)
{
    return parse_exact<std::uint8_t>(text, 0, 0, 255);
}

Result<std::int32_t, ParseError> parse_int32(std::string_view text)
{
    return parse_exact<std::int32_t>(text, 0, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
}

Result<float, ParseError> parse_single(std::string_view text)
{
    const auto d = scan(text, true);
    if (!d)
        return ParseError{ParseError::Kind::NotNumber};

    // Position of the leading significant digit, as a power of ten, to tell an
    // overflow from an underflow without trusting a second conversion.
    long lead = 0;
    bool nonzero = false;
    std::size_t zeros = 0;
    while (zeros < d->int_digits.size() && d->int_digits[zeros] == '0')
        ++zeros;
    if (zeros < d->int_digits.size()) {
        nonzero = true;
        lead = static_cast<long>(d->int_digits.size() - zeros) - 1;
    } else {
        std::size_t k = 0;
        while (k < d->frac_digits.size() && d->frac_digits[k] == '0')
            ++k;
        if (k < d->frac_digits.size()) {
            nonzero = true;
            lead = -static_cast<long>(k) - 1;
        }
    }
    if (!nonzero)
        return d->negative ? -0.0f : 0.0f;
    lead += d->exponent;
    if (lead > 40)
        return ParseError{ParseError::Kind::OutOfRange};
    if (lead < -60)
        return d->negative ? -0.0f : 0.0f;

    std::string ascii = d->int_digits.empty() ? "0" : d->int_digits;
    if (!d->frac_digits.empty())
        ascii += "." + d->frac_digits;
    ascii += "e" + std::to_string(d->exponent);

    float value = 0.0f;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (lead > 0)
            return ParseError{ParseError::Kind::OutOfRange};
        double wide = 0.0;
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), wide);
        value = static_cast<float>(wide);
    } else if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
        return ParseError{ParseError::Kind::OutOfRange};
    }
    return d->negative ? -value : value;
}

std::string general_form(Money value)
{
    const std::int64_t units = value.units();
    const std::uint64_t mag = magnitude(units);
    std::string out = units < 0 ? "-" : "";
    out += std::to_string(mag / Money::kScale);
    std::uint64_t frac = mag % Money::kScale;
    if (frac != 0) {
        std::string f = std::to_string(frac);
        f.insert(0, 4 - f.size(), '0');
        while (f.back() == '0')
            f.pop_back();
        out += "." + f;
    }
    return out;
}

std::string general_form(std::int64_t value)
{
    return std::to_string(value);
}

namespace {

std::string seven_digits(float value)
{
    if (value == 0.0f || !std::isfinite(value))
        return "0";
    // Seven significant digits, rounded from the exact binary value.
    std::array<char, 32> buf{};
    const auto [end, ec] =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific, 6);
    std::string sci(buf.data(), ec == std::errc() ? end : buf.data());
    const bool negative = sci.front() == '-';
    if (negative)
        sci.erase(0, 1);
    const auto epos = sci.find('e');
    std::string mantissa = sci.substr(0, epos);
    const int exp = std::stoi(sci.substr(epos + 1));
    mantissa.erase(1, 1); // drop the point: seven digits d0..d6
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    std::string out = negative ? "-" : "";
    if (exp >= 7 || exp < -5) {
        // Too large or too small for plain notation; parsing reads this form back.
        out += mantissa.substr(0, 1);
        if (mantissa.size() > 1)
            out += "." + mantissa.substr(1);
        const int e = exp < 0 ? -exp : exp;
        out += exp < 0 ? "E-" : "E+";
        if (e < 10)
            out += "0";
        out += std::to_string(e);
    } else if (exp >= 0) {
        std::string digits = mantissa;
        if (static_cast<int>(digits.size()) < exp + 1)
            digits.append(exp + 1 - digits.size(), '0');
        out += digits.substr(0, exp + 1);
        if (static_cast<int>(digits.size()) > exp + 1)
            out += "." + digits.substr(exp + 1);
    } else {
        out += "0." + std::string(-exp - 1, '0') + mantissa;
    }
    return out;
}

} // namespace

std::string general_form(float value)
{
    std::string text = seven_digits(value);
    // Next to a power of ten the singles can be coarser than seven digits: the
    // single nearest to the text may show as another text ("1E+28" reads as a
    // single that shows as "9.999999E+27"). Write that one, so that a value is
    // written the same way every time the file is saved.
    if (const auto back = parse_single(text); back && back.value() != value) {
        if (std::string again = seven_digits(back.value()); again != text)
            return again;
    }
    return text;
}

std::string currency_form(Money value)
{
    const std::uint64_t mag = magnitude(value.units());
    const std::uint64_t yen = mag / Money::kScale + (mag % Money::kScale >= Money::kScale / 2 ? 1 : 0);
    std::string out = value.units() < 0 && yen != 0 ? "-" : "";
    out += "¥";
    out += group_thousands(std::to_string(yen));
    return out;
}

} // namespace fee
