#include <gtest/gtest.h>

#include "broker_table/editor_transfer.h"
#include "test_tables.h"

using namespace fee;

TEST(EditorTransfer, LoadShowsBoundsAndAddOnsAsCurrencyTheRestInGeneralForm)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    const EditorTexts e = editor_texts_from_row(t, 0);
    EXPECT_EQ(e.kubun[0], "¥1,000,000");
    EXPECT_EQ(e.kubun[4], "¥50,000,000");
    EXPECT_EQ(e.wariai[0], "0.0115");
    EXPECT_EQ(e.wariai[3], "0.00575");
    EXPECT_EQ(e.wariai[5], "0");
    EXPECT_EQ(e.add[0], "¥0");
    EXPECT_EQ(e.add[5], "¥272,500");
    EXPECT_EQ(e.fix, "2000");
    EXPECT_EQ(e.max, "0");
    EXPECT_EQ(e.mini, "0");
}

TEST(EditorTransfer, StandardScheduleTextsStoreTheStandardSchedule)
{
    BrokerTable expected;
    test::set_standard_schedule(expected, 3);
    BrokerTable t;
    ASSERT_TRUE(store_editor_texts(t, 3, standard_schedule_texts()).ok());
    for (int j = 0; j < kBrackets; ++j) {
        EXPECT_EQ(t.com_kubun(3, j), expected.com_kubun(3, j)) << j;
        EXPECT_EQ(t.com_wariai(3, j), expected.com_wariai(3, j)) << j;
        EXPECT_EQ(t.com_add(3, j), expected.com_add(3, j)) << j;
    }
    EXPECT_EQ(t.com_fix(3), expected.com_fix(3));
    EXPECT_EQ(editor_texts_from_row(t, 3).kubun[0], "¥1,000,000");
    EXPECT_EQ(standard_schedule_texts().fix, "¥2,000");
}

TEST(EditorTransfer, EveryWrittenFormOfABoundStoresTheSameValue)
{
    BrokerTable t;
    for (const char* text : {"\\1,000,000", "¥1,000,000", "1,000,000", "1000000", " 1000000 "}) {
        EditorTexts e = standard_schedule_texts();
        e.kubun[0] = text;
        ASSERT_TRUE(store_editor_texts(t, 0, e).ok()) << text;
        EXPECT_EQ(t.com_kubun(0, 0).units(), 10'000'000'000) << text;
        EXPECT_EQ(editor_texts_from_row(t, 0).kubun[0], "¥1,000,000");
    }
}

TEST(EditorTransfer, OnlyAnEmptyMaximumOrMinimumMeansNone)
{
    BrokerTable t;
    EditorTexts e = standard_schedule_texts();
    e.max = "";
    e.mini = "";
    ASSERT_TRUE(store_editor_texts(t, 0, e).ok());
    EXPECT_EQ(t.com_max(0), Money{});
    EXPECT_EQ(editor_texts_from_row(t, 0).max, "0");

    e.max = " ";
    const auto blank = store_editor_texts(t, 0, e);
    ASSERT_FALSE(blank.ok());
    EXPECT_EQ(blank.error().box, EditorBox::Max);

    e = standard_schedule_texts();
    e.fix = "";
    const auto empty_fee = store_editor_texts(t, 0, e);
    ASSERT_FALSE(empty_fee.ok());
    EXPECT_EQ(empty_fee.error().message(), "維持費が空です。数値を入れて下さい。");
}

TEST(EditorTransfer, FractionsOfAYenComeBackRoundedAndStayThatWay)
{
    BrokerTable t;
    EditorTexts e = standard_schedule_texts();
    e.add[1] = "2500.6";
    ASSERT_TRUE(store_editor_texts(t, 0, e).ok());
    EXPECT_EQ(t.com_add(0, 1).units(), 25'006'000);
    const EditorTexts shown = editor_texts_from_row(t, 0);
    EXPECT_EQ(shown.add[1], "¥2,501");
    ASSERT_TRUE(store_editor_texts(t, 0, shown).ok());
    EXPECT_EQ(t.com_add(0, 1).units(), 25'010'000);
}

TEST(EditorTransfer, ABadBoxIsNamedAndNothingOfTheRowIsStored)
{
    BrokerTable t;
    test::set_standard_schedule(t, 1);
    const BrokerTable before = t;
    EditorTexts e = standard_schedule_texts();
    e.kubun[0] = "2,000,000"; // a good edit before the bad box
    e.wariai[2] = "abc";
    e.add[4] = "also bad";
    const auto r = store_editor_texts(t, 1, e);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().box, EditorBox::Wariai);
    EXPECT_EQ(r.error().index, 2);
    EXPECT_EQ(r.error().message(), "手数料率 の 3 行目が数値ではありません: \"abc\"");
    EXPECT_EQ(t.com_kubun(1, 0), before.com_kubun(1, 0));

    e.wariai[2] = "0.007";
    EXPECT_EQ(store_editor_texts(t, 1, e).error().message(),
              "付加 の 5 行目が数値ではありません: \"also bad\"");
    e.add[4] = "99999999999999999999";
    EXPECT_EQ(store_editor_texts(t, 1, e).error().message(),
              "付加 の 5 行目の数値が大きすぎるか範囲外です: \"99999999999999999999\"");
}

TEST(EditorTransfer, TheOpenBracketBoundIsNeverTouched)
{
    BrokerTable t;
    ASSERT_TRUE(store_editor_texts(t, 0, standard_schedule_texts()).ok());
    EXPECT_EQ(t.com_kubun(0, 5), Money{});
    EXPECT_EQ(t.com_kubun(0, 6), Money{});
    EXPECT_EQ(t.com_wariai(0, 6), 0.0f);
}
