#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

#include "core/data_file.h"
#include "core/data_session.h"
#include "core/editor_transfer.h"
#include "qt_print.h"
#include "test_tables.h"

using namespace fee;

namespace {

class DataSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        table_.set_last_row(1);
        test::set_standard_schedule(table_, 0);
        test::set_standard_schedule(table_, 1);
        table_.broker(0).name = "A";
        table_.broker(1).name = "B";
        ASSERT_TRUE(save_data_file(path(), table_).ok());
    }
    QString path() const { return dir_.filePath("compare.dat"); }
    void touch(const QString& name, const QByteArray& bytes = "x")
    {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList entries() const
    {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir_;
    BrokerTable table_;
};

TEST_F(DataSessionTest, OneWriterAtATimeAndADeadOnesLockIsTakenOver)
{
    DataSession first(path());
    ASSERT_TRUE(first.acquire().ok());
    EXPECT_TRUE(first.locked());

    DataSession second(path());
    const auto refused = second.acquire();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message.rfind(path().toStdString() + " は、ほかで開かれています", 0), 0u)
        << refused.error().message;
    EXPECT_TRUE(first.locked());

    // A lock whose process has ended without letting go, as a crash leaves it.
    const QString other_path = dir_.filePath("other.dat");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DataSession crashed(other_path);
        ::_exit(crashed.acquire().ok() ? 0 : 1); // no destructor: the lock file stays
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(lock_file_path(other_path)));
    DataSession other(other_path);
    EXPECT_TRUE(other.acquire().ok());
    EXPECT_TRUE(other.locked());
}

TEST_F(DataSessionTest, InterruptedSavesAreRemovedOnlyUnderTheLock)
{
    for (const char* name :
         {"compare.dat.Ab3xYz", "compare.dat.000000", "compare.dat.Ab3xY", "compare.dat.Ab3xYz7",
          "compare.dat.Ab-xYz", "other.dat.Ab3xYz", "compare.datAb3xYz"})
        touch(QString::fromLatin1(name));
    // A whole data file under such a name is somebody's copy, not a cut-off save.
    QFile::copy(path(), dir_.filePath("compare.dat.backup"));
    DataSession holder(path());
    ASSERT_TRUE(holder.acquire().ok());
    const QStringList kept = {"compare.dat",         "compare.dat.Ab-xYz", "compare.dat.Ab3xY",
                              "compare.dat.Ab3xYz7", "compare.dat.backup", "compare.dat.lock",
                              "compare.datAb3xYz",   "other.dat.Ab3xYz"};
    EXPECT_EQ(entries(), kept);

    // A second copy that is refused the lock touches nothing.
    touch(QStringLiteral("compare.dat.Qq1234"));
    DataSession second(path());
    EXPECT_FALSE(second.acquire().ok());
    EXPECT_TRUE(entries().contains(QStringLiteral("compare.dat.Qq1234")));
}

TEST_F(DataSessionTest, AChangeByAnotherProgramIsNoticedAndASaveTakesItsPlace)
{
    DataSession session(path());
    BrokerTable loaded;
    ASSERT_TRUE(session.load(loaded).ok());
    EXPECT_FALSE(session.changed_on_disk());
    EXPECT_TRUE(session.unsaved_brokers(loaded).empty());

    loaded.broker(1).yearly_fee = *Money::from_yen(1);
    loaded.set_last_row(2);
    loaded.broker(2).name = "C";
    EXPECT_EQ(session.unsaved_brokers(loaded), (std::vector<int>{1, 2}));

    touch(QStringLiteral("compare.dat"), "0\r\nsomeone else\r\n");
    EXPECT_TRUE(session.changed_on_disk());
    ASSERT_TRUE(session.save(loaded).ok());
    EXPECT_FALSE(session.changed_on_disk());
    EXPECT_TRUE(session.unsaved_brokers(loaded).empty());
    QFile::remove(path());
    EXPECT_TRUE(session.changed_on_disk());
}

TEST(InterruptedSave, TheNamePatternOfQSaveFile)
{
    EXPECT_TRUE(is_interrupted_save(QStringLiteral("compare.dat.aB9zZ0"), QStringLiteral("compare.dat")));
    EXPECT_FALSE(is_interrupted_save(QStringLiteral("compare.dat.lock"), QStringLiteral("compare.dat")));
    EXPECT_FALSE(is_interrupted_save(QStringLiteral("compare.dat.aB9zZ_"), QStringLiteral("compare.dat")));
    EXPECT_FALSE(is_interrupted_save(QStringLiteral("compare.dat"), QStringLiteral("compare.dat")));
}

} // namespace
