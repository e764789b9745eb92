#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "core/datafile/data_file.h"
#include "core/editing/broker_list.h"
#include "core/fees/broker_table.h"
#include "core/text/codepage.h"
#include "test_tables.h"

using namespace fee;

namespace {

std::string sjis(const char* utf8)
{
    return encode_typed_name(QString::fromUtf8(utf8)).value();
}

// Four brokers that differ in every saved element, not only in name.
BrokerTable four_brokers()
{
    BrokerTable t;
    t.set_last_broker(3);
    const char* names[] = {"あおば証券", "かえで証券", "さくら証券", "ソニー証券"};
    for (int r = 0; r <= 3; ++r) {
        test::set_standard_schedule(t, r);
        t.broker(r).name = sjis(names[r]);
        t.broker(r).yearly_fee = *Money::from_yen(1000 * (r + 1));
        t.broker(r).minimum = *Money::from_yen(100 + r);
        t.broker(r).brackets.at(2).rate = 0.001f * static_cast<float>(r + 1);
    }
    return t;
}

// The table as the file holds it: a refusal must leave this unchanged.
std::string file_of(const BrokerTable& t)
{
    return serialize_data_file(t).value();
}

// The brokers of `original` in the order of `rows`.
BrokerTable reordered(const BrokerTable& original, std::vector<int> rows)
{
    BrokerTable t;
    t.set_last_broker(static_cast<int>(rows.size()) - 1);
    for (std::size_t i = 0; i < rows.size(); ++i)
        t.broker(static_cast<int>(i)) = original.broker(rows[i]);
    return t;
}

} // namespace

TEST(BrokerList, RenameRefusesAMissingRowAndANameTheFileCannotHold)
{
    const BrokerTable original = four_brokers();
    const struct {
        int row;
        std::string name;
        std::string message;
    } cases[] = {
        {4, "x", "番号 4 の証券会社はありません。番号は 0 から 3 までです（一覧の順に 0 から数えます）。"},
        {-1, "x", "番号 -1 の証券会社はありません。番号は 0 から 3 までです（一覧の順に 0 から数えます）。"},
        {0, "", "名前が空です。1 文字以上の名前を入れて下さい。"},
        {0, "A\r\nB", "名前に改行は使えません。1 行で入力して下さい。"},
        {1, "A\nB", "名前に改行は使えません。1 行で入力して下さい。"},
        {1, std::string(kMaxNameBytes + 1, 'x'), "名前が長すぎます。32767 文字までにして下さい。"},
    };
    for (const auto& c : cases) {
        BrokerTable t = original;
        const auto r = rename_broker(t, c.row, c.name);
        ASSERT_FALSE(r.ok()) << c.row;
        EXPECT_EQ(r.error().message, c.message);
        EXPECT_EQ(file_of(t), file_of(original));
    }
}

TEST(BrokerList, ATypedNameIsCheckedAsTheAddDialogChecksIt)
{
    EXPECT_EQ(encode_broker_name(QStringLiteral("¥証券")).value(), "\x5C\x8f\xd8\x8c\x94");
    EXPECT_EQ(encode_broker_name(QString(kMaxNameCharacters, QChar(u'証'))).value().size(), kMaxNameBytes);

    const auto too_long = encode_broker_name(QString(kMaxNameCharacters + 1, QChar(u'a')));
    ASSERT_FALSE(too_long.ok());
    EXPECT_EQ(too_long.error().message, "名前が長すぎます（32768 文字）。32767 文字までにして下さい。");
    const auto accent = encode_broker_name(QStringLiteral("Café証券"));
    ASSERT_FALSE(accent.ok());
    EXPECT_EQ(accent.error().message, encode_typed_name(QStringLiteral("Café証券")).error().message);
    EXPECT_EQ(encode_broker_name(QString()).error().message,
              "名前が空です。1 文字以上の名前を入れて下さい。");
}

TEST(BrokerList, RemoveMovesTheLaterRowsUpAndEmptiesTheFreedRow)
{
    const BrokerTable original = four_brokers();
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {0, {1, 2, 3}}, {1, {0, 2, 3}}, {3, {0, 1, 2}}};
    for (const auto& [row, left] : cases) {
        BrokerTable t = original;
        ASSERT_TRUE(remove_broker(t, row).ok());
        EXPECT_EQ(t.last_broker(), 2);
        EXPECT_EQ(file_of(t), file_of(reordered(original, left))) << row;
        EXPECT_EQ(t.broker(3), Broker{});
    }
}

TEST(BrokerList, MoveShiftsTheRowsInBetween)
{
    const BrokerTable original = four_brokers();
    const struct {
        int row, to;
        std::vector<int> order;
    } cases[] = {{0, 3, {1, 2, 3, 0}}, {3, 0, {3, 0, 1, 2}}, {2, 1, {0, 2, 1, 3}}};
    for (const auto& c : cases) {
        BrokerTable t = original;
        ASSERT_TRUE(move_broker(t, c.row, c.to).ok());
        EXPECT_EQ(file_of(t), file_of(reordered(original, c.order))) << c.row << " to " << c.to;
    }
}

// A move is the same as that many single steps up or down in the list.
TEST(BrokerList, AMoveIsThatManySingleSteps)
{
    const BrokerTable original = four_brokers();
    for (int row = 0; row <= 3; ++row) {
        for (int to = 0; to <= 3; ++to) {
            BrokerTable stepped = original;
            for (int at = row; at != to; at += to > row ? 1 : -1)
                ASSERT_TRUE(move_broker(stepped, at, at + (to > row ? 1 : -1)).ok());
            BrokerTable moved = original;
            ASSERT_TRUE(move_broker(moved, row, to).ok());
            EXPECT_EQ(file_of(moved), file_of(stepped)) << row << " to " << to;
        }
    }
}
