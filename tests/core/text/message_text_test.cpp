#include <gtest/gtest.h>

#include <QString>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "core/text/message_text.h"
#include "qt_print.h"

using namespace fee;
using namespace std::string_view_literals;

namespace {

// As many characters as every message quotes before cutting a text short.
constexpr qsizetype kShown = 40;

QString text(std::u16string_view units)
{
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

QString times(qsizetype n, const QString& part)
{
    return part.repeated(n);
}

TEST(MessageText, EscapesWhatWouldNotShow)
{
    // Catches a control, format or separator character passed through raw, a lone surrogate
    // kept (invalid UTF-8 later), lower-case or short hex, a pair taken apart, and a backslash doubled.
    const struct {
        std::u16string_view text, expected;
    } cases[] = {
        {u"1.15%"sv, u"1.15%"sv},
        {u"みなと証券　本店"sv, u"みなと証券　本店"sv},
        {u"a\0b"sv, u"a\\0b"sv},
        {u"a\tb"sv, u"a\\tb"sv},
        {u"\r\n"sv, u"\\r\\n"sv},
        {u"\x1B[31m"sv, u"\\x1B[31m"sv},
        {u"\x7Fz"sv, u"\\x7Fz"sv},
        {u"\x85"sv, u"\\x85"sv},
        {u"abc\u202Edef"sv, u"abc\\u202Edef"sv},
        {u"\u200B\uFEFF"sv, u"\\u200B\\uFEFF"sv},
        {u"\u2028\u2029"sv, u"\\u2028\\u2029"sv},
        {u"a\xD800z"sv, u"a\\uD800z"sv},
        {u"\xDE00\xD83D"sv, u"\\uDE00\\uD83D"sv},
        {u"株😀"sv, u"株😀"sv},
        {u"\\1,000"sv, u"\\1,000"sv},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quoted_text(text(c.text)), text(c.expected)) << text(c.text);
}

TEST(MessageText, ShowsAFewCharactersThenAnEllipsis)
{
    // Catches an off-by-one at the limit, UTF-16 units counted instead of characters, an escape
    // counted as one character or cut in the middle, and half a surrogate pair shown.
    const QString a = QStringLiteral("a"), tab = QStringLiteral("\t"), esc = QStringLiteral("\\t");
    const QString emoji = QStringLiteral("😀"), rlo = QStringLiteral("\u202E");
    const QString more = QStringLiteral("…");
    const struct {
        QString text, expected;
    } cases[] = {
        {times(kShown, a), times(kShown, a)},
        {times(kShown + 1, a), times(kShown, a) + more},
        {times(kShown / 2, tab), times(kShown / 2, esc)},
        {times(kShown / 2, tab) + a, times(kShown / 2, esc) + more},
        {times(kShown - 1, a) + tab, times(kShown - 1, a) + more},
        {times(kShown - 2, a) + tab, times(kShown - 2, a) + esc},
        {times(kShown, emoji), times(kShown, emoji)},
        {times(kShown - 1, a) + emoji + a, times(kShown - 1, a) + emoji + more},
        {times(kShown, a) + emoji, times(kShown, a) + more},
        {times(kShown, rlo), times(kShown / 6, QStringLiteral("\\u202E")) + more},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quoted_text(c.text), c.expected) << c.text;
}

TEST(MessageText, Utf8AndBracketsQuoteTheSameWay)
{
    // Catches the UTF-8 forms quoting the raw text (no escapes, no limit) or escaping the brackets.
    const QString cases[] = {
        QString(),
        QStringLiteral("1.15%"),
        QStringLiteral("表参道証券\t本店"),
        text(u"\xD800\u202E"sv),
        QStringLiteral("😀").repeated(kShown + 5),
    };
    for (const auto& t : cases) {
        EXPECT_EQ(quoted_utf8(t), quoted_text(t).toStdString()) << t;
        EXPECT_EQ(in_brackets(t), "「" + quoted_utf8(t) + "」") << t;
    }
    EXPECT_EQ(in_brackets(u"1.15%"), "「1.15%」");
}

bool has_japanese(const std::string& words)
{
    for (const QChar c : QString::fromStdString(words))
        if ((c >= u'\u3040' && c <= u'\u30FF') || (c >= u'\u4E00' && c <= u'\u9FFF'))
            return true;
    return false;
}

TEST(MessageText, SystemReasonsInJapaneseWhereAUserMeetsThem)
{
    // Catches a missing or swapped entry for the common reasons, and an empty reason for an
    // unknown number; system_reason on the system's own words must agree with errno_reason.
    for (const int code : {ENOSPC, EACCES, EROFS}) {
        SCOPED_TRACE(code);
        EXPECT_TRUE(has_japanese(errno_reason(code))) << errno_reason(code);
        EXPECT_EQ(
            system_reason(QStringLiteral("Cannot write: ") + QString::fromLocal8Bit(std::strerror(code))),
            errno_reason(code));
    }
    EXPECT_NE(errno_reason(ENOSPC), errno_reason(EACCES));
    EXPECT_FALSE(errno_reason(99999).empty());
    EXPECT_FALSE(system_reason(QString()).empty());
}

} // namespace
