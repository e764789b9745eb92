#include "core/money/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace fee {
namespace {

using Int128 = __int128;

constexpr char kYen = 'Y'; // stand-in for every yen sign after folding

// Folds the text to ASCII symbols: digits, signs, ',', '.', 'e', 'Y' and ' ' for
// blanks. Any other character, a surrogate included, makes the text not a number.
std::optional<std::string> fold(QStringView text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar qc : text) {
        char16_t c = qc.unicode();
        if (c >= u'０' && c <= u'９')
            c = static_cast<char16_t>(u'0' + (c - u'０'));
        switch (c) {
        case u'\t':
        case u'\u3000':
            out.push_back(' ');
            continue;
        case u'¥':
        case u'\\':
        case u'￥':
            out.push_back(kYen);
            continue;
        case u'－':
        case u'\u2212':
            out.push_back('-');
            continue;
        case u'＋':
            out.push_back('+');
            continue;
        case u'，':
            out.push_back(',');
            continue;
        case u'．':
            out.push_back('.');
            continue;
        case u'E':
        case u'ｅ':
        case u'Ｅ':
            out.push_back('e');
            continue;
        default:
            break;
        }
        if ((c >= u'0' && c <= u'9') || c == u' ' || c == u'-' || c == u'+' || c == u',' || c == u'.' ||
            c == u'e') {
            out.push_back(static_cast<char>(c));
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

// Sign and yen sign in either order, each at most once.
void scan_prefix(std::string_view s, std::size_t& i, Decimal& d)
{
    bool have_sign = false;
    bool have_yen = false;
    while (i < s.size()) {
        if (!have_sign && (s[i] == '-' || s[i] == '+')) {
            d.negative = s[i] == '-';
            have_sign = true;
        } else if (!have_yen && s[i] == kYen) {
            have_yen = true;
        } else {
            return;
        }
        ++i;
    }
}

// The integer part, with commas only between groups of three; false when a
// comma stands elsewhere.
bool scan_integer(std::string_view s, std::size_t& i, Decimal& d)
{
    std::size_t group = 0;
    bool seen_comma = false;
    for (; i < s.size() && (is_digit(s[i]) || s[i] == ','); ++i) {
        if (s[i] == ',') {
            if (d.int_digits.empty() || (seen_comma ? group != 3 : group > 3))
                return false;
            seen_comma = true;
            group = 0;
        } else {
            d.int_digits.push_back(s[i]);
            ++group;
        }
    }
    return !seen_comma || group == 3;
}

// "e", an optional sign and digits; false when the digits are missing.
bool scan_exponent(std::string_view s, std::size_t& i, Decimal& d)
{
    ++i;
    bool exp_negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        exp_negative = s[i++] == '-';
    if (i >= s.size() || !is_digit(s[i]))
        return false;
    long exp = 0;
    for (; i < s.size() && is_digit(s[i]); ++i) {
        if (exp < 100'000)
            exp = exp * 10 + (s[i] - '0');
    }
    d.exponent = exp_negative ? -exp : exp;
    return true;
}

std::optional<Decimal> scan(QStringView text, bool allow_exponent)
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
    scan_prefix(s, i, d);
    if (!scan_integer(s, i, d))
        return std::nullopt;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i]))
            d.frac_digits.push_back(s[i++]);
    }
    if (d.int_digits.empty() && d.frac_digits.empty())
        return std::nullopt;
    if (allow_exponent && i < s.size() && s[i] == 'e' && !scan_exponent(s, i, d))
        return std::nullopt;
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
Outcome<T, ParseError> parse_exact(QStringView text, int decimals, Int128 lowest, Int128 highest)
{
    const auto d = scan(text, false);
    if (!d)
        return ParseError{ParseError::Kind::NotNumber};
    const auto mag = scaled_magnitude(*d, decimals);
    if (!mag)
        return ParseError{ParseError::Kind::OutOfRange, d->negative};
    const Int128 v = d->negative ? -*mag : *mag;
    if (v < lowest || v > highest)
        return ParseError{ParseError::Kind::OutOfRange, v < lowest};
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

Outcome<Money, ParseError> parse_currency(QStringView text)
{
    auto r = parse_exact<std::int64_t>(text, 4, std::numeric_limits<std::int64_t>::min(),
                                       std::numeric_limits<std::int64_t>::max());
    if (!r)
        return r.error();
    return Money::from_units(r.value());
}

Outcome<std::uint8_t, ParseError> parse_byte(QStringView text)
{
    return parse_exact<std::uint8_t>(text, 0, 0, 255);
}

Outcome<std::int32_t, ParseError> parse_int32(QStringView text)
{
    return parse_exact<std::int32_t>(text, 0, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
}

Outcome<float, ParseError> parse_single(QStringView text)
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
        return ParseError{ParseError::Kind::OutOfRange, d->negative};
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
            return ParseError{ParseError::Kind::OutOfRange, d->negative};
        double wide = 0.0;
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), wide);
        value = static_cast<float>(wide);
    } else if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
        return ParseError{ParseError::Kind::OutOfRange, d->negative};
    }
    return d->negative ? -value : value;
}

namespace {

// The fraction of a yen after the point, without trailing zeros; empty for whole yen.
std::string fraction_text(std::uint64_t magnitude_units)
{
    const std::uint64_t frac = magnitude_units % Money::kScale;
    if (frac == 0)
        return {};
    std::string f = std::to_string(frac);
    f.insert(0, 4 - f.size(), '0');
    while (f.back() == '0')
        f.pop_back();
    return "." + f;
}

std::string money_text(Money value)
{
    const std::uint64_t mag = magnitude(value.units());
    return (value.units() < 0 ? "-" : "") + std::to_string(mag / Money::kScale) + fraction_text(mag);
}

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

std::string single_text(float value)
{
    std::string text = seven_digits(value);
    // Next to a power of ten the singles can be coarser than seven digits: the
    // single nearest to the text may show as another text ("1E+28" reads as a
    // single that shows as "9.999999E+27"). Write that one, so that a value is
    // written the same way every time the file is saved.
    if (const auto back = parse_single(QString::fromLatin1(text)); back && back.value() != value) {
        if (std::string again = seven_digits(back.value()); again != text)
            return again;
    }
    return text;
}

} // namespace

QString general_form(Money value)
{
    return QString::fromLatin1(money_text(value));
}

QString general_form(float value)
{
    return QString::fromLatin1(single_text(value));
}

QString general_form(std::int64_t value)
{
    return QString::number(value);
}

QString exact_currency_form(Money value)
{
    const std::uint64_t mag = magnitude(value.units());
    std::string out = value.units() < 0 ? "-" : "";
    out += "¥";
    out += group_thousands(std::to_string(mag / Money::kScale)) + fraction_text(mag);
    return QString::fromStdString(out);
}

QString currency_form(Money value)
{
    const std::uint64_t mag = magnitude(value.units());
    const std::uint64_t yen = mag / Money::kScale + (mag % Money::kScale >= Money::kScale / 2 ? 1 : 0);
    std::string out = value.units() < 0 && yen != 0 ? "-" : "";
    out += "¥";
    out += group_thousands(std::to_string(yen));
    return QString::fromStdString(out);
}

std::string trillions_of_yen(Money amount)
{
    constexpr std::int64_t kCho = 1'000'000'000'000; // 兆
    return std::to_string(amount.units() / Money::kScale / kCho) + " 兆円";
}

} // namespace fee
