#include "core/replay/history_cells.h"

#include "core/text/codepage.h"

namespace fee {
namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool is_ascii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Blanks, a sign, digits in groups of three, a point and up to four decimals:
// the way every broker writes its figures. Anything else goes the slow way.
std::optional<Money> ascii_figure(std::string_view s)
{
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::int64_t units = 0;
    int digits = 0, group = -1, decimals = -1;
    for (const char c : s) {
        if (is_digit(c)) {
            // Zeros beyond 1/10,000 yen say nothing; any other digit there is finer than money.
            if (decimals >= 4) {
                if (c != '0')
                    return std::nullopt;
                continue;
            }
            if (decimals >= 0)
                ++decimals;
            if (__builtin_mul_overflow(units, 10, &units) || __builtin_add_overflow(units, c - '0', &units))
                return std::nullopt;
            ++digits;
            if (group >= 0 && decimals < 0)
                ++group;
        } else if (c == ',' && decimals < 0 && digits > 0 && (group < 0 ? digits <= 3 : group == 3)) {
            group = 0;
        } else if (c == '.' && decimals < 0 && (group < 0 || group == 3)) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || (group >= 0 && decimals < 0 && group != 3))
        return std::nullopt;
    for (int d = std::max(decimals, 0); d < 4; ++d)
        if (__builtin_mul_overflow(units, 10, &units))
            return std::nullopt;
    return Money::from_units(negative ? -units : units);
}

bool is_none(std::string_view s)
{
    return s.empty() || s == "-" || s == "--";
}

// The cell as NFKC text in UTF-8, for the slow ways: full-width digits and
// signs become ASCII, and the year, month and day marks are UTF-8 ones.
std::string normalised(std::string_view bytes, HistoryEncoding encoding)
{
    return decode_cell(bytes, encoding).normalized(QString::NormalizationForm_KC).trimmed().toStdString();
}

bool valid_day(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month >= 1 && month <= 12 && day >= 1 && day <= kDays[month - 1] &&
           (month != 2 || day < 29 || leap);
}

std::optional<HistoryDate> ascii_date(std::string_view s)
{
    // The usual "2025/03/04", at once.
    if (s.size() >= 10 && (s.size() == 10 || s[10] == ' ' || s[10] == 'T') && (s[4] == '/' || s[4] == '-') &&
        s[7] == s[4] && is_digit(s[0]) && is_digit(s[1]) && is_digit(s[2]) && is_digit(s[3]) &&
        is_digit(s[5]) && is_digit(s[6]) && is_digit(s[8]) && is_digit(s[9])) {
        const int year = (s[0] - '0') * 1000 + (s[1] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
        const int month = (s[5] - '0') * 10 + (s[6] - '0'), day = (s[8] - '0') * 10 + (s[9] - '0');
        return valid_day(year, month, day) ? std::optional(year * 10000 + month * 100 + day) : std::nullopt;
    }
    // Digits, then a separator: '/', '-' or the marks 年 月 日 in UTF-8.
    constexpr std::string_view kYear = "\xE5\xB9\xB4", kMonth = "\xE6\x9C\x88", kDay = "\xE6\x97\xA5";
    int parts[3] = {};
    std::size_t at = 0;
    bool marks = false;
    for (int p = 0; p < 3; ++p) {
        int n = 0, digits = 0;
        while (at < s.size() && is_digit(s[at]) && digits < 4) {
            n = n * 10 + (s[at++] - '0');
            ++digits;
        }
        if (digits == 0 || (p == 0 && digits != 4) || (p > 0 && digits > 2))
            return std::nullopt;
        parts[p] = n;
        const std::string_view rest = s.substr(at);
        if (p == 0 && rest.starts_with(kYear)) {
            marks = true;
            at += kYear.size();
        } else if (p == 1 && marks && rest.starts_with(kMonth)) {
            at += kMonth.size();
        } else if (p == 2 && marks && rest.starts_with(kDay)) {
            at += kDay.size();
        } else if (p < 2 && !marks && (rest.starts_with('/') || rest.starts_with('-'))) {
            ++at;
        } else if (p < 2 || marks) {
            return std::nullopt;
        }
    }
    // A time may follow, after a blank or a 'T'.
    if (at < s.size() && s[at] != ' ' && s[at] != 'T')
        return std::nullopt;
    if (!valid_day(parts[0], parts[1], parts[2]))
        return std::nullopt;
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

} // namespace

bool is_valid_utf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned min = 0;
        unsigned code = 0;
        if ((*p & 0xE0) == 0xC0) {
            more = 1, min = 0x80, code = *p & 0x1Fu;
        } else if ((*p & 0xF0) == 0xE0) {
            more = 2, min = 0x800, code = *p & 0x0Fu;
        } else if ((*p & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, code = *p & 0x07u;
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3Fu);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

QString decode_cell(std::string_view bytes, HistoryEncoding encoding)
{
    return encoding == HistoryEncoding::Cp932
               ? decode_cp932(bytes)
               : QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString normalised_header(const QString& cell)
{
    const QString text = cell.normalized(QString::NormalizationForm_KC);
    QString out;
    int depth = 0;
    for (const QChar c : text) {
        if (c == u'(' || c == u'[')
            ++depth;
        else if ((c == u')' || c == u']') && depth > 0)
            --depth;
        else if (depth == 0 && !c.isSpace())
            out += c;
    }
    return out;
}

Figure read_figure(std::string_view bytes, HistoryEncoding encoding)
{
    if (is_none(bytes))
        return {};
    if (const auto fast = ascii_figure(bytes))
        return {Figure::Kind::Number, *fast};
    std::string text = is_ascii(bytes) ? std::string(bytes) : normalised(bytes, encoding);
    if (is_none(text) || text == "\xE2\x80\x95" || text == "\xE3\x83\xBC") // ― and ー
        return {};
    // A yen sign before the digits or 円 after them says nothing more.
    for (const std::string_view mark : {"\xC2\xA5", "\\"})
        if (std::string_view(text).starts_with(mark))
            text.erase(0, mark.size());
    if (std::string_view(text).ends_with("\xE5\x86\x86"))
        text.resize(text.size() - 3);
    if (const auto plain = ascii_figure(text))
        return {Figure::Kind::Number, *plain};
    return {Figure::Kind::Bad, {}};
}

std::optional<HistoryDate> read_date(std::string_view bytes, HistoryEncoding encoding)
{
    if (const auto fast = is_ascii(bytes) ? ascii_date(bytes) : std::nullopt)
        return fast;
    if (is_ascii(bytes))
        return std::nullopt;
    return ascii_date(normalised(bytes, encoding));
}

std::optional<Money> times_price(Money quantity, Money price, bool& rounded)
{
    const __int128 product = static_cast<__int128>(quantity.units()) * price.units();
    constexpr __int128 kScale = Money::kScale;
    __int128 whole = product / kScale;
    const __int128 rest = product % kScale;
    rounded = rest != 0;
    // Half to even, in either sign.
    const __int128 twice = 2 * (rest < 0 ? -rest : rest);
    if (twice > kScale || (twice == kScale && (whole % 2 != 0)))
        whole += product < 0 ? -1 : 1;
    if (whole > INT64_MAX || whole < INT64_MIN)
        return std::nullopt;
    return Money::from_units(static_cast<std::int64_t>(whole));
}

} // namespace fee
