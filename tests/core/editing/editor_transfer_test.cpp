#include <gtest/gtest.h>

#include "core/editing/editor_transfer.h"
#include "test_tables.h"

using namespace fee;

TEST(EditorTransfer, LoadShowsBoundsAndAddOnsAsCurrencyTheRestInGeneralForm)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    const EditorTexts e = editor_texts_from(t.broker(0));
    EXPECT_EQ(e.bounds[0], "¥1,000,000");
    EXPECT_EQ(e.bounds[4], "¥50,000,000");
    EXPECT_EQ(e.rates[0], "0.0115");
    EXPECT_EQ(e.rates[3], "0.00575");
    EXPECT_EQ(e.rates[5], "0");
    EXPECT_EQ(e.add_ons[0], "¥0");
    EXPECT_EQ(e.add_ons[5], "¥272,500");
    EXPECT_EQ(e.yearly_fee, "2000");
    EXPECT_EQ(e.maximum, "0");
    EXPECT_EQ(e.minimum, "0");
}

TEST(EditorTransfer, StandardScheduleTextsStoreTheStandardSchedule)
{
    BrokerTable expected;
    test::set_standard_schedule(expected, 3);
    BrokerTable t;
    ASSERT_TRUE(store_editor_texts(t.broker(3), standard_schedule_texts()).ok());
    for (int j = 0; j < kBrackets; ++j) {
        EXPECT_EQ(t.broker(3).brackets.at(j).upper_bound, expected.broker(3).brackets.at(j).upper_bound) << j;
        EXPECT_EQ(t.broker(3).brackets.at(j).rate, expected.broker(3).brackets.at(j).rate) << j;
        EXPECT_EQ(t.broker(3).brackets.at(j).add_on, expected.broker(3).brackets.at(j).add_on) << j;
    }
    EXPECT_EQ(t.broker(3).yearly_fee, expected.broker(3).yearly_fee);
    EXPECT_EQ(editor_texts_from(t.broker(3)).bounds[0], "¥1,000,000");
    EXPECT_EQ(standard_schedule_texts().yearly_fee, "¥2,000");
}

TEST(EditorTransfer, EveryWrittenFormOfABoundStoresTheSameValue)
{
    BrokerTable t;
    for (const char* text : {"\\1,000,000", "¥1,000,000", "1,000,000", "1000000", " 1000000 "}) {
        EditorTexts e = standard_schedule_texts();
        e.bounds[0] = text;
        ASSERT_TRUE(store_editor_texts(t.broker(0), e).ok()) << text;
        EXPECT_EQ(t.broker(0).brackets.at(0).upper_bound.units(), 10'000'000'000) << text;
        EXPECT_EQ(editor_texts_from(t.broker(0)).bounds[0], "¥1,000,000");
    }
}

TEST(EditorTransfer, OnlyAnEmptyMaximumOrMinimumMeansNone)
{
    BrokerTable t;
    EditorTexts e = standard_schedule_texts();
    e.maximum = "";
    e.minimum = "";
    ASSERT_TRUE(store_editor_texts(t.broker(0), e).ok());
    EXPECT_EQ(t.broker(0).maximum, Money{});
    EXPECT_EQ(editor_texts_from(t.broker(0)).maximum, "0");

    e.maximum = " ";
    const auto blank = store_editor_texts(t.broker(0), e);
    ASSERT_FALSE(blank.ok());
    EXPECT_EQ(blank.error().box, EditorBox::Maximum);

    e = standard_schedule_texts();
    e.yearly_fee = "";
    const auto empty_fee = store_editor_texts(t.broker(0), e);
    ASSERT_FALSE(empty_fee.ok());
    EXPECT_EQ(empty_fee.error().message(), "維持費が空です。金額を円で入れて下さい（なしなら 0）。");
}

TEST(EditorTransfer, FractionsOfAYenAreShownAndAnUneditedRowStaysBitForBit)
{
    BrokerTable t;
    EditorTexts e = standard_schedule_texts();
    e.add_ons[1] = "2500.6";
    e.bounds[0] = "1000000.5";
    ASSERT_TRUE(store_editor_texts(t.broker(0), e).ok());
    EXPECT_EQ(t.broker(0).brackets.at(1).add_on.units(), 25'006'000);
    const EditorTexts shown = editor_texts_from(t.broker(0));
    EXPECT_EQ(shown.add_ons[1], "¥2,500.6");
    EXPECT_EQ(shown.bounds[0], "¥1,000,000.5");
    ASSERT_TRUE(store_editor_texts(t.broker(0), shown).ok());
    EXPECT_EQ(t.broker(0).brackets.at(1).add_on.units(), 25'006'000);
    EXPECT_EQ(t.broker(0).brackets.at(0).upper_bound.units(), 10'000'005'000);

    // A rate of more than seven digits, as a file may hold it, shows rounded to
    // seven; left as shown, the stored single does not move.
    const float precise = 0.100000148059082f;
    t.broker(0).brackets.at(2).rate = precise;
    const EditorTexts again = editor_texts_from(t.broker(0));
    EXPECT_EQ(again.rates[2], "0.1000002");
    ASSERT_TRUE(store_editor_texts(t.broker(0), again).ok());
    EXPECT_EQ(t.broker(0).brackets.at(2).rate, precise);

    // Typed anew, even the same digits, the box is converted.
    EditorTexts edited = again;
    edited.rates[2] = "0.10000020";
    ASSERT_TRUE(store_editor_texts(t.broker(0), edited).ok());
    EXPECT_NE(t.broker(0).brackets.at(2).rate, precise);
    EXPECT_EQ(t.broker(0).brackets.at(2).rate, 0.1000002f);
}

TEST(EditorTransfer, ABadBoxIsNamedAndNothingOfTheRowIsStored)
{
    BrokerTable t;
    test::set_standard_schedule(t, 1);
    const BrokerTable before = t;
    EditorTexts e = standard_schedule_texts();
    e.bounds[0] = "2,000,000"; // a good edit before the bad box
    e.rates[2] = "abc";
    e.add_ons[4] = "also bad";
    const auto r = store_editor_texts(t.broker(1), e);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().box, EditorBox::Rate);
    EXPECT_EQ(r.error().index, 2);
    EXPECT_EQ(
        r.error().message(),
        "手数料率（3 行目）が数値ではありません: 「abc」。手数料率は割合で入れて下さい（1% なら 0.01）。");
    // The caller names the broker; a percentage gets the fraction to type instead.
    BoxError named = r.error();
    named.broker = "2 社目「みなと証券」";
    named.text = "1.15%";
    EXPECT_EQ(named.message(), "2 社目「みなと証券」の手数料率（3 行目）が数値ではありません: 「1.15%」。"
                               "手数料率は割合で入れます。「1.15%」 なら 0.0115 と入れて下さい。");
    EXPECT_EQ(t.broker(1).brackets.at(0).upper_bound, before.broker(1).brackets.at(0).upper_bound);

    e.rates[2] = "0.007";
    EXPECT_EQ(
        store_editor_texts(t.broker(1), e).error().message(),
        "付加（5 行目）が数値ではありません: 「also bad」。円の金額を数字で入れて下さい（例: 1,000,000）。");
    e.add_ons[4] = "99999999999999999999";
    EXPECT_EQ(store_editor_texts(t.broker(1), e).error().message(),
              "付加（5 行目）が大きすぎます: 「99999999999999999999」。922 兆円より小さい金額にして下さい。");
    e.add_ons[4] = "-99999999999999999999";
    EXPECT_EQ(
        store_editor_texts(t.broker(1), e).error().message(),
        "付加（5 行目）が小さすぎます: 「-99999999999999999999」。-922 兆円より大きい金額にして下さい。");
    e.add_ons[4] = "85000";
    e.rates[1] = "-1e39";
    EXPECT_EQ(store_editor_texts(t.broker(1), e).error().message(),
              "手数料率（2 行目）が小さすぎます: 「-1e39」。手数料率は割合で入れて下さい（1% なら 0.01）。");
}

TEST(EditorTransfer, TheOpenBracketBoundIsNeverTouched)
{
    BrokerTable t;
    ASSERT_TRUE(store_editor_texts(t.broker(0), standard_schedule_texts()).ok());
    EXPECT_EQ(t.broker(0).brackets.at(5).upper_bound, Money{});
    EXPECT_EQ(t.broker(0).brackets.size(), 6u); // no unused slot beyond the top bracket
}
