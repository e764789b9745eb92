#include <gtest/gtest.h>

#include <QStringDecoder>

#include "core/text/codepage.h"

using namespace fee;

TEST(Codepage, ShowsNamesWithTheYenSignAndMarksBrokenBytes)
{
    EXPECT_EQ(decode_cp932("\x95\x5C\x8E\x51\x93\xB9\x8F\xD8\x8C\x94"), QStringLiteral("表参道証券"));
    EXPECT_EQ(decode_cp932("\x5C"
                           "100"),
              QStringLiteral("¥100"));
    EXPECT_EQ(decode_cp932("\xB1\xB2"), QStringLiteral("ｱｲ"));
    EXPECT_EQ(decode_cp932("\x81\x60"), QStringLiteral("～"));
    EXPECT_EQ(decode_cp932("\xFA\x4A"), QStringLiteral("Ⅰ"));
    EXPECT_EQ(decode_cp932("a\x80"
                           "b"),
              QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(decode_cp932("\xFD\xFF"), QStringLiteral("\uFFFD\uFFFD"));
    EXPECT_EQ(decode_cp932("x\x81"), QStringLiteral("x\uFFFD"));    // lead byte at the end
    EXPECT_EQ(decode_cp932("\x81\x20"), QStringLiteral("\uFFFD ")); // lead byte without a trail
}

TEST(Codepage, TypedNamesEncodeToTheFilesCodePage)
{
    EXPECT_EQ(encode_typed_name(QStringLiteral("サンプル証券")).value(),
              "\x83\x54\x83\x93\x83\x76\x83\x8B\x8F\xD8\x8C\x94");
    EXPECT_EQ(encode_typed_name(QStringLiteral("¥100")).value(), "\x5C"
                                                                 "100");
    EXPECT_EQ(encode_typed_name(QStringLiteral("\\100")).value(), "\x5C"
                                                                  "100");
    EXPECT_EQ(encode_typed_name(QStringLiteral("￥")).value(), "\x81\x8F");
    EXPECT_EQ(encode_typed_name(QStringLiteral("a〜b")).value(), "a\x81\x60"
                                                                 "b"); // wave dash as typed on Linux
    EXPECT_EQ(encode_typed_name(QStringLiteral("−")).value(), "\x81\x7C");
    EXPECT_EQ(encode_typed_name(QStringLiteral("   ")).value(), "   ");
    EXPECT_EQ(encode_typed_name(QString()).value(), "");
}

TEST(Codepage, RefusesWhatTheFileCannotHold)
{
    const auto emoji = encode_typed_name(QStringLiteral("株😀"));
    ASSERT_FALSE(emoji.ok());
    EXPECT_NE(emoji.error().message.find("「😀」"), std::string::npos);
    EXPECT_FALSE(encode_typed_name(QStringLiteral("café")).ok());
    EXPECT_FALSE(encode_typed_name(QStringLiteral("한국")).ok());
    EXPECT_FALSE(encode_typed_name(QStringLiteral("a\nb")).ok());
    EXPECT_FALSE(encode_typed_name(QStringLiteral("a\rb")).ok());
    EXPECT_FALSE(encode_typed_name(QString(QChar(0xD800))).ok()); // lone surrogate
}

TEST(Codepage, EveryDoubleByteCodeThatShowsEncodesBackToAName)
{
    // A shown name typed again stores a valid name (NEC/IBM duplicates may pick the other code).
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const QString shown = decode_cp932(bytes);
            // Shown as Qt's own converter reads the code page, character for character.
            QStringDecoder qt("windows-31j");
            const QString read = qt.decode(QByteArrayView(bytes.data(), 2));
            EXPECT_EQ(shown, qt.hasError() || read.contains(QChar(0x1A))
                                 ? QString(QChar::ReplacementCharacter)
                                 : read)
                << std::hex << lead << trail;
            if (shown == QString(QChar::ReplacementCharacter))
                continue;
            const auto again = encode_typed_name(shown);
            ASSERT_TRUE(again.ok()) << std::hex << lead << trail;
            EXPECT_EQ(decode_cp932(again.value()), shown);
            ++checked;
        }
    }
    EXPECT_GT(checked, 7000);
}
