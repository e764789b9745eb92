// fee-compare-cli on files a user may pick by mistake: each is refused with the
// line that cannot be right, nothing on standard output, and the file left as
// it was; a file with the longest name the program writes still loads. How fast
// a 50 MB or 200 MB file is refused is the benchmark's business.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

#include "core/datafile/data_file.h"
#include "core/text/codepage.h"
#include "hardening_support.h"
#include "test_tables.h"

using namespace fee;
using namespace fee::hardening;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class HugeFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path() const { return dir_.filePath("compare.dat"); }

    CliRun cli(const QString& command)
    {
        QProcess p;
        p.setWorkingDirectory(dir_.path());
        p.start(FEE_CLI_PATH, {command});
        EXPECT_TRUE(p.waitForFinished(30'000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }

    // Writes the file with a past modification time, so that any write would show.
    void put(const std::string& bytes)
    {
        write_bytes(path(), bytes);
        const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path().toLocal8Bit().constData(), times, 0), 0);
    }

    // Both commands that read refuse the file with `message` and leave it be.
    void expect_refused(const std::string& bytes, const std::string& message)
    {
        put(bytes);
        for (const char* command : {"check", "normalize"}) {
            SCOPED_TRACE(command);
            const CliRun r = cli(QString::fromLatin1(command));
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, message + "\n");
            EXPECT_EQ(r.out, "");
            struct stat after {};
            ASSERT_EQ(::stat(path().toLocal8Bit().constData(), &after), 0);
            EXPECT_EQ(after.st_mtim.tv_sec, 1'000'000'000);
            EXPECT_EQ(read_bytes(path()), bytes);
            EXPECT_TRUE(other_entries(dir_.path()).isEmpty());
        }
    }

    QTemporaryDir dir_;
};

const std::string kFixTheLine = "テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。";

TEST_F(HugeFiles, AFileWithoutLineBreaksIsRefusedAtLineOne)
{
    std::string text;
    while (text.size() < (4u << 20))
        text += "no line break ";
    expect_refused(text, "compare.dat の 1 行目（証券会社の数）が数値ではありません: 「" +
                             text.substr(0, 40) + "…」。" + kFixTheLine);
}

TEST_F(HugeFiles, AFileOfNulBytesIsRefusedShowingThem)
{
    std::string escapes;
    for (int i = 0; i < 20; ++i)
        escapes += "\\0";
    expect_refused(std::string(4u << 20, '\0'),
                   "compare.dat の 1 行目（証券会社の数）が数値ではありません: 「" + escapes + "…」。" +
                       kFixTheLine);
}

TEST_F(HugeFiles, TheLongestNameLoadsAndNormalizesUnchangedOneByteMoreIsRefused)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    t.broker(0).name = encode_typed_name(QString(kMaxNameCharacters, QChar(u'証'))).value();
    const std::string bytes = serialize_data_file(t).value();
    put(bytes);
    CliRun r = cli(QStringLiteral("check"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "compare.dat: 1 社、正しく読み込めました。\n");
    r = cli(QStringLiteral("normalize"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_bytes(path()), bytes);

    std::string longer = bytes;
    longer.insert(kMaxNameBytes + 3, "x"); // after "0\r\n" and the name
    expect_refused(longer, "compare.dat の 2 行目の証券会社名が長すぎます: 「" +
                               QString(40, QChar(u'証')).toStdString() +
                               "…」（名前は 65534 バイトまでです）。" + kFixTheLine);
}

} // namespace
