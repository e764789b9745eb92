#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

#include "core/data_document.h"
#include "core/data_file.h"
#include "core/data_lock.h"
#include "core/editor_transfer.h"
#include "qt_print.h"
#include "test_tables.h"

using namespace fee;

namespace {

class DataDocumentTest : public ::testing::Test {
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

    QTemporaryDir dir_;
    BrokerTable table_;
};

TEST_F(DataDocumentTest, OneWriterAtATime)
{
    DataDocument first(path());
    ASSERT_TRUE(first.open().ok());

    DataDocument second(path());
    const auto refused = second.open();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message.rfind(path().toStdString() + " は、ほかで開かれています", 0), 0u)
        << refused.error().message;
    EXPECT_FALSE(second.loaded());
    EXPECT_FALSE(second.save().ok());
}

// A save records its new file in the lock before making it; the next holder of
// a lock whose owner is gone removes that file, and nothing else.
TEST_F(DataDocumentTest, OnlyTheNewFileARecordNamesIsRemoved)
{
    const struct {
        const char* recorded;
        bool removed;
    } cases[] = {
        {"compare.dat.Ab3xYz", true}, {"compare.dat.bak", false},    {"compare.dat.Ab3xY", false},
        {"other.dat.Ab3xYz", false},  {"compare.dat.Ab-xYz", false}, {"sub/compare.dat.Ab3xYz", false},
    };
    ASSERT_TRUE(QDir(dir_.path()).mkdir("sub"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recorded);
        const QString recorded = dir_.filePath(QString::fromLatin1(c.recorded));
        touch(QString::fromLatin1(c.recorded));
        const pid_t child = ::fork();
        if (child == 0) {
            DataLock killed(path());
            if (!killed.acquire().ok())
                ::_exit(1);
            killed.record_save(recorded);
            ::_exit(0); // as if killed while saving
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 0);
        DataDocument next(path());
        ASSERT_TRUE(next.open().ok());
        EXPECT_EQ(QFile::exists(recorded), !c.removed);
        QFile::remove(recorded);
    }
}

TEST_F(DataDocumentTest, AChangeByAnotherProgramIsNoticedAndASaveTakesItsPlace)
{
    DataDocument document(path());
    ASSERT_TRUE(document.open().ok());
    EXPECT_FALSE(document.changed_on_disk());
    EXPECT_TRUE(document.lost_changes().empty());

    BrokerTable& loaded = document.table();
    loaded.broker(1).yearly_fee = *Money::from_yen(1);
    loaded.set_last_row(2);
    loaded.broker(2).name = "C";
    EXPECT_EQ(document.lost_changes().brokers, (std::vector<int>{1, 2}));

    touch(QStringLiteral("compare.dat"), "0\r\nsomeone else\r\n");
    EXPECT_TRUE(document.changed_on_disk());
    ASSERT_TRUE(document.save().ok());
    EXPECT_FALSE(document.changed_on_disk());
    EXPECT_TRUE(document.lost_changes().empty());
    QFile::remove(path());
    EXPECT_TRUE(document.changed_on_disk());
}

// Where the file is not what it was after a failed save, the message never
// says it is intact: copies of the old and of the unsaved content are written
// and named.
TEST_F(DataDocumentTest, AFileThatCannotBePutBackIsCopiedAndTheCopiesNamed)
{
    const std::string old_bytes = serialize_data_file(table_).value();
    QTemporaryDir rescue;
    BrokerTable changed = table_;
    changed.broker(0).name = "changed";
    SaveOptions options;
    options.rescue_folder = rescue.path();
    // Damage while the new file is about to be made, and no room for it.
    options.announce = [this](const QString& new_file) {
        touch(QStringLiteral("compare.dat"), "damaged");
        QDir().mkdir(new_file);
    };
    const auto saved = save_data_file(path(), changed, options);
    ASSERT_FALSE(saved.ok());
    const QString message = QString::fromStdString(saved.error().message);
    EXPECT_FALSE(message.contains(QString::fromUtf8(kOldContentKept)));
    const QStringList copies = QDir(rescue.path()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(copies.size(), 2);
    for (const QString& copy : copies)
        EXPECT_TRUE(message.contains(rescue.filePath(copy))) << message.toStdString();
    std::vector<std::string> contents;
    for (const QString& copy : copies) {
        QFile f(rescue.filePath(copy));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        contents.push_back(f.readAll().toStdString());
    }
    EXPECT_EQ(contents, (std::vector<std::string>{old_bytes, serialize_data_file(changed).value()}));
}

} // namespace
