#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/file.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

#include "core/datafile/daily_plans_file.h"
#include "core/datafile/data_file.h"
#include "core/document/data_document.h"
#include "core/document/data_lock.h"
#include "core/editing/editor_transfer.h"
#include "core/storage/side_file.h"
#include "qt_print.h"
#include "test_tables.h"

using namespace fee;

namespace {

class DataDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        table_.set_last_broker(1);
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

// The lock is the file's, whatever name reaches it, and stays with it when a
// save puts a new file in its place.
TEST_F(DataDocumentTest, OneWriterAtATimeByAnyName)
{
    DataDocument first(path());
    ASSERT_TRUE(first.open().ok());
    ASSERT_TRUE(first.save().ok());
    ASSERT_TRUE(QFile::link(path(), dir_.filePath("link.dat")));
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(),
                     QFile::encodeName(dir_.filePath("hard.dat")).constData()),
              0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir("sub"));
    for (const char* name : {"compare.dat", "link.dat", "hard.dat", "sub/../compare.dat"}) {
        SCOPED_TRACE(name);
        DataDocument second(dir_.filePath(QString::fromLatin1(name)));
        const auto refused = second.open();
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().message.rfind(second.path().toStdString() + " は、ほかで開かれています", 0),
                  0u)
            << refused.error().message;
        EXPECT_FALSE(second.loaded());
        EXPECT_FALSE(second.save().ok());
    }
}

// Helper locks that Qt's lock leaves after a kill go once nobody holds them.
TEST_F(DataDocumentTest, LeftoversOfAnOlderLockGoWhenNobodyHoldsThem)
{
    const QString left = "compare.dat.lock.rmlock", deeper = left + ".rmlock", held = deeper + ".rmlock";
    for (const QString& name : {left, deeper, held})
        touch(name);
    QFile holder(dir_.filePath(held));
    ASSERT_TRUE(holder.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
    DataDocument document(path());
    ASSERT_TRUE(document.open().ok());
    EXPECT_EQ(std::tuple(QFile::exists(dir_.filePath(left)), QFile::exists(dir_.filePath(deeper)),
                         QFile::exists(dir_.filePath(held))),
              std::tuple(false, false, true));
}

// An export may write anywhere but over the data file, by any of its names,
// and the files the program keeps beside it.
TEST_F(DataDocumentTest, TheProgramsOwnFilesAreNoExportTarget)
{
    QTemporaryDir rescue;
    DataDocument document(path(), rescue.path());
    ASSERT_TRUE(document.open().ok());
    ASSERT_TRUE(QFile::link(path(), dir_.filePath("link.csv")));
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(),
                     QFile::encodeName(dir_.filePath("hard.csv")).constData()),
              0);
    const struct {
        QString target;
        bool refused;
    } cases[] = {
        {path(), true},
        {dir_.filePath("link.csv"), true},
        {dir_.filePath("hard.csv"), true},
        {dir_.filePath("compare.dat.lock"), true},
        {dir_.filePath("compare.dat.lock.save"), true},
        {dir_.filePath("compare.dat.Ab3xYz"), true},
        {dir_.filePath("ryoban_h.hlp"), true},
        {rescue.filePath("compare-20261209-101010-unsaved-2.dat"), true},
        {dir_.filePath("compare.csv"), false},
        {rescue.filePath("compare.dat"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(document.export_refusal(c.target).empty(), !c.refused) << c.target.toStdString();
}

// A save records its new file, with its device, inode and owner, before the
// file has a name or content; the next holder of the lock removes a recorded
// file only when it is still that file, directly beside compare.dat.
TEST_F(DataDocumentTest, ARecordIsBelievedOnlyForAFileItProvesItMade)
{
    QTemporaryDir outside;
    enum Proof { Itself, AnotherFile, OldStyleRecord };
    const struct {
        QString recorded;
        Proof proof;
        bool removed;
    } cases[] = {
        {"compare.dat.Ab3xYz", Itself, true},
        {"compare.dat.Ab3xYz", AnotherFile, false},
        {"compare.dat.Ab3xYz", OldStyleRecord, false},
        {"compare.dat.backup", OldStyleRecord, false},
        {"sub/compare.dat.Ab3xYz", Itself, false},
        {outside.filePath("compare.dat.Ab3xYz"), Itself, false},
    };
    ASSERT_TRUE(QDir(dir_.path()).mkdir("sub"));
    touch("another");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recorded.toStdString());
        const QString recorded = QDir(dir_.path()).absoluteFilePath(c.recorded);
        QFile(recorded).open(QIODevice::WriteOnly);
        const pid_t child = ::fork();
        if (child == 0) {
            DataLock killed;
            if (!killed.acquire(path(), path()).ok())
                ::_exit(1);
            const auto proof = identity_at(c.proof == AnotherFile ? dir_.filePath("another") : recorded);
            if (!killed.record_new_file(recorded, *proof).ok())
                ::_exit(2);
            if (c.proof == OldStyleRecord) {
                QFile record(save_record_path(killed.lock_file()));
                if (!record.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    ::_exit(3);
                record.write(QFile::encodeName(recorded));
            }
            ::_exit(0); // as if killed while saving
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 0);
        DataDocument next(path());
        ASSERT_TRUE(next.open().ok());
        EXPECT_EQ(QFile::exists(recorded), !c.removed);
        EXPECT_FALSE(QFile::exists(save_record_path(lock_file_path(path()))));
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
    loaded.set_last_broker(2);
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
// and named; into the rescue folder, or into the temporary folder where the
// rescue folder is a link someone put there.
TEST_F(DataDocumentTest, AFileThatCannotBePutBackIsCopiedAndTheCopiesNamed)
{
    const std::string old_bytes = serialize_data_file(table_).value();
    BrokerTable changed = table_;
    changed.broker(0).name = "changed";
    QTemporaryDir rescue, elsewhere, temporary;
    const QByteArray temp_before = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    ASSERT_TRUE(QFile::link(elsewhere.path(), dir_.filePath("link")));
    for (const auto& [folder, lands_in] :
         {std::pair(rescue.path(), rescue.path()), std::pair(dir_.filePath("link"), temporary.path())}) {
        SCOPED_TRACE(folder.toStdString());
        touch(QStringLiteral("compare.dat"), QByteArray::fromStdString(old_bytes));
        SaveOptions options;
        options.rescue_folder = folder;
        // Damage while the new file is about to be named, and no record of it.
        options.hooks.record = [this](const QString&, const FileIdentity&) -> Status<> {
            touch(QStringLiteral("compare.dat"), "damaged");
            return Error{"no record"};
        };
        const auto saved = save_data_file(path(), changed, options);
        ASSERT_FALSE(saved.ok());
        const QString message = QString::fromStdString(saved.error().message);
        EXPECT_FALSE(message.contains(QString::fromUtf8(kOldContentKept)));
        const QStringList copies = QDir(lands_in).entryList(QDir::Files, QDir::Name);
        ASSERT_EQ(copies.size(), 2);
        std::vector<std::string> contents;
        for (const QString& copy : copies) {
            EXPECT_TRUE(message.contains(QDir(lands_in).filePath(copy))) << message.toStdString();
            QFile f(QDir(lands_in).filePath(copy));
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            contents.push_back(f.readAll().toStdString());
            f.remove();
        }
        EXPECT_EQ(contents, (std::vector<std::string>{old_bytes, serialize_data_file(changed).value()}));
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    }
    if (temp_before.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", temp_before);
}

} // namespace

namespace {

// The plan window's OK writes daily-plans.json beside the file only when the
// plans changed, never compare.dat, and never a plans file it refused.
TEST_F(DataDocumentTest, DailyPlansAreWrittenBesideTheFileOnlyWhenTheyChanged)
{
    struct Leave : UnattendedAnswers {
        Answer changed_on_disk(const QString&) override { return Answer::Discard; }
    } answers;
    const QString plans_path = dir_.filePath("daily-plans.json");
    const std::string data_before = serialize_data_file(table_).value();
    const DailyPlans one = {{QStringLiteral("A"), {}, {{500'000, {}}}, std::nullopt, {}}};
    DataDocument document(path());
    ASSERT_TRUE(document.open().ok());
    EXPECT_TRUE(document.daily_plans().empty());
    EXPECT_EQ(document.commit_daily_plans({}, answers), DataDocument::Closed::LeftAsItWas);
    EXPECT_FALSE(QFile::exists(plans_path));
    EXPECT_EQ(document.commit_daily_plans(one, answers), DataDocument::Closed::Saved);
    EXPECT_EQ(parse_daily_plans(read_side_file(plans_path, 1 << 20).value(), plans_path).value(), one);
    // Another program's plans are not overwritten unasked.
    touch("daily-plans.json", "{\"version\": 1, \"plans\": []}");
    EXPECT_EQ(document.commit_daily_plans({}, answers), DataDocument::Closed::LeftAsItWas);
    EXPECT_EQ(read_side_file(plans_path, 100).value(), "{\"version\": 1, \"plans\": []}");
    EXPECT_EQ(read_side_file(path(), 1 << 20).value().toStdString(), data_before);
    document.release();

    // A refused file, or a link in its place, is read by nobody and written by nobody.
    for (const bool link : {false, true}) {
        QFile::remove(plans_path);
        if (link)
            ASSERT_TRUE(QFile::link(path(), plans_path));
        else
            touch("daily-plans.json", "not json");
        DataDocument next(path());
        ASSERT_TRUE(next.open().ok());
        EXPECT_NE(next.plans_refusal().find("daily-plans.json"), std::string::npos) << next.plans_refusal();
        EXPECT_EQ(next.commit_daily_plans(one, answers), DataDocument::Closed::LeftAsItWas);
        EXPECT_EQ(QFileInfo(plans_path).isSymLink(), link);
        EXPECT_EQ(read_side_file(path(), 1 << 20).value().toStdString(), data_before);
    }
}

} // namespace
