#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/analysis/ranking_export.h"
#include "core/fees/broker_table.h"
#include "core/fees/participants.h"
#include "core/text/codepage.h"
#include "core/text/csv.h"
#include "fail_device.h"
#include "qt_print.h"

using namespace fee;

namespace {

// Three brokers as the result grid shows them after 並べ替え(&S): a name with a
// comma and quotes, a name with a tab, and costs whose shown yen hide fractions.
class RankingExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        table_.set_last_broker(2);
        table_.broker(0).name = encode_typed_name(QStringLiteral("サンプル証券")).value();
        table_.broker(1).name = "Comma, \"Quoted\"";
        table_.broker(2).name = "Tab\there";
    }

    BrokerTable table_;
    const YearlyCosts costs_{Money::from_units(4'414'999'883), Money::from_units(4'394'999'883),
                             Money::from_units(-12'345'000)};
    const std::vector<int> order_{2, 1, 0};
};

} // namespace

TEST_F(RankingExport, ClipboardTextIsThreeTabSeparatedColumnsInTheGivenOrder)
{
    EXPECT_EQ(ranking_tsv(Participants(table_), costs_, order_),
              QStringLiteral("会社名\t試算結果\t正確な額\n"
                             "\"Tab\there\"\t-¥1,235\t-1234.5\n"
                             "\"Comma, \"\"Quoted\"\"\"\t¥439,500\t439499.9883\n"
                             "サンプル証券\t¥441,500\t441499.9883\n"));
}

TEST_F(RankingExport, CsvIsUtf8WithByteOrderMarkAndCrLf)
{
    const QByteArray expected =
        QByteArray("\xEF\xBB\xBF") + QStringLiteral("会社名,試算結果,正確な額\r\n"
                                                    "Tab\there,\"-¥1,235\",-1234.5\r\n"
                                                    "\"Comma, \"\"Quoted\"\"\",\"¥439,500\","
                                                    "439499.9883\r\n"
                                                    "サンプル証券,\"¥441,500\",441499.9883\r\n")
                                         .toUtf8();
    EXPECT_EQ(ranking_csv(Participants(table_), costs_, order_), expected);
    // The yen sign is U+00A5 in UTF-8, never the code page's backslash.
    EXPECT_TRUE(ranking_csv(Participants(table_), costs_, {0})
                    .contains("\"\xC2\xA5"
                              "441,500\""));
    EXPECT_EQ(ranking_csv(Participants(table_), costs_, {}),
              QByteArray("\xEF\xBB\xBF") + "会社名,試算結果,正確な額\r\n");
}

// A name a spreadsheet would run as a formula, or whose leading tab or CR it
// would drop, shows as text; a negative exact cost stays a number.
TEST_F(RankingExport, NamesThatLookLikeFormulasStayText)
{
    for (const char* name : {"=1+1", "+81", "-x", "@SUM(A1)", "\tx", "\rx"}) {
        table_.broker(2).name = name;
        const QString guarded = u'\'' + QString::fromUtf8(name);
        EXPECT_TRUE(ranking_tsv(Participants(table_), costs_, {2})
                        .endsWith(QStringLiteral("\n%1\t-¥1,235\t-1234.5\n").arg(csv_field(guarded, u'\t'))))
            << name;
        EXPECT_TRUE(ranking_csv(Participants(table_), costs_, {2})
                        .endsWith(("\r\n" + csv_field(guarded) + ",\"-¥1,235\",-1234.5\r\n").toUtf8()))
            << name;
    }
}

TEST_F(RankingExport, SaveReplacesTheFileWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("試算結果.csv"));
    const QByteArray bytes = ranking_csv(Participants(table_), costs_, order_);
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("a much longer previous content that must not survive at the end of the file");
    }
    ASSERT_TRUE(save_ranking(path, bytes).ok());
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), bytes);

    const QString missing = dir.filePath(QStringLiteral("no such folder/試算結果.csv"));
    const auto failed = save_ranking(missing, bytes);
    ASSERT_FALSE(failed.ok());
    EXPECT_NE(failed.error().message.find(
                  missing.toStdString() +
                  " に保存できませんでした: 書き込み用に開けません（ファイルかフォルダーがありません）"),
              std::string::npos)
        << failed.error().message;
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("試算結果.csv")});

    test::FailDevice full(10);
    const auto short_write = write_ranking(full, bytes);
    ASSERT_FALSE(short_write.ok());
    EXPECT_EQ(short_write.error().message, "書き込みに失敗しました（ディスクに空きがありません）");
}
