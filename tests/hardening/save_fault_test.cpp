// Each step of writing compare.dat made to fail in turn: the old file stays
// byte for byte, the message says why, nothing is left behind, and the same
// save succeeds once the fault is gone.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "broker_table/data_file.h"
#include "hardening_support.h"

using namespace fee;
using namespace fee::hardening;

namespace {

struct Fault {
    SaveStep step;
    int line; // for Write
    std::string reason;
};

std::string step_name(const Fault& f)
{
    switch (f.step) {
    case SaveStep::Open:
        return "open";
    case SaveStep::Write:
        return "write line " + std::to_string(f.line);
    case SaveStep::Flush:
        return "flush";
    case SaveStep::Commit:
        return "commit";
    }
    return {};
}

// Every step a save of `table` goes through, each with the words its message must carry.
std::vector<Fault> every_fault(const BrokerTable& table)
{
    std::vector<Fault> faults{{SaveStep::Open, 0, "開けません"}};
    for (int line = 1; line <= data_file_lines(table.broker_count()); ++line)
        faults.push_back(
            {SaveStep::Write, line, "書き込みに失敗しました（" + std::to_string(line) + " 行目）"});
    faults.push_back({SaveStep::Flush, 0, "書き込みに失敗しました"});
    faults.push_back({SaveStep::Commit, 0, "確定できませんでした"});
    return faults;
}

SaveFault failing_at(const Fault& f)
{
    return [f](SaveStep step, int line) {
        return step == f.step && (step != SaveStep::Write || line == f.line);
    };
}

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path() const { return dir_.filePath("compare.dat"); }

    QTemporaryDir dir_;
    const BrokerTable old_ = numbered_table(2, "old");
    const BrokerTable new_ = numbered_table(3, "new");
};

TEST_F(SaveFaults, TheSeamSeesEveryStepOnceInOrder)
{
    std::vector<std::pair<SaveStep, int>> seen;
    ASSERT_TRUE(write_data_file(path(), new_, [&](SaveStep s, int line) {
                    seen.emplace_back(s, line);
                    return false;
                }).ok());
    std::vector<std::pair<SaveStep, int>> expected{{SaveStep::Open, 0}};
    for (int line = 1; line <= data_file_lines(3); ++line)
        expected.emplace_back(SaveStep::Write, line);
    expected.emplace_back(SaveStep::Flush, 0);
    expected.emplace_back(SaveStep::Commit, 0);
    EXPECT_EQ(seen, expected);
}

TEST_F(SaveFaults, EveryStepFailingKeepsTheOldFileAndARetrySucceeds)
{
    const auto old_bytes = serialize_data_file(old_);
    const auto new_bytes = serialize_data_file(new_);
    ASSERT_TRUE(old_bytes.ok() && new_bytes.ok());
    const auto faults = every_fault(new_);
    ASSERT_EQ(faults.size(), 3u + 64u);

    int survived = 0;
    for (const Fault& f : faults) {
        SCOPED_TRACE(step_name(f));
        ASSERT_TRUE(write_data_file(path(), old_).ok());
        ASSERT_EQ(read_bytes(path()), old_bytes.value());

        const auto failed = write_data_file(path(), new_, failing_at(f));
        ASSERT_FALSE(failed.ok());
        const std::string& message = failed.error().message;
        EXPECT_EQ(message.rfind(path().toStdString() + " に保存できませんでした: ", 0), 0u) << message;
        EXPECT_NE(message.find(f.reason), std::string::npos) << message;
        EXPECT_NE(message.find("以前の内容はそのまま残っています"), std::string::npos) << message;
        EXPECT_EQ(read_bytes(path()), old_bytes.value());
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty())
            << other_entries(dir_.path()).join(' ').toStdString();
        BrokerTable reloaded;
        EXPECT_TRUE(read_data_file(path(), reloaded).ok());
        EXPECT_TRUE(same_saved_elements(reloaded, old_));

        // The fault has cleared: the same save goes through.
        ASSERT_TRUE(write_data_file(path(), new_).ok());
        EXPECT_EQ(read_bytes(path()), new_bytes.value());
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty());
        if (!::testing::Test::HasFailure())
            ++survived;
    }
    std::printf("faults injected: %zu, survived: %d\n", faults.size(), survived);
}

TEST_F(SaveFaults, AFirstSaveThatFailsCreatesNothing)
{
    for (const Fault& f : every_fault(new_)) {
        SCOPED_TRACE(step_name(f));
        EXPECT_FALSE(write_data_file(path(), new_, failing_at(f)).ok());
        EXPECT_FALSE(QFile::exists(path()));
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty());
    }
}

TEST_F(SaveFaults, AFolderThatIsMissingIsReportedWithTheReason)
{
    const QString missing = dir_.filePath("no-such-folder/compare.dat");
    const auto r = write_data_file(missing, new_);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("に保存できませんでした: "), std::string::npos);
    // The reason comes from the system, not only our own words.
    EXPECT_GT(r.error().message.size(), (missing.toStdString() + " に保存できませんでした: \n").size() + 10);
    EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(SaveFaults, ADirectoryInThePlaceOfTheFileIsLeftAlone)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("compare.dat"));
    EXPECT_FALSE(write_data_file(path(), new_).ok());
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_TRUE(other_entries(dir_.path()).isEmpty());
}

// A real failed write, not the seam: the file size limit makes the system
// refuse the bytes the way a full disk does. Run in a child so the limit does
// not touch the test runner.
TEST_F(SaveFaults, ARealShortWriteKeepsTheOldFile)
{
    const BrokerTable big = numbered_table(21, std::string(2000, 'N'));
    const auto old_bytes = serialize_data_file(old_);
    ASSERT_TRUE(old_bytes.ok());
    ASSERT_TRUE(write_data_file(path(), old_).ok());

    for (rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{4096}, rlim_t{16384}, rlim_t{40000}}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &rl);
            const auto r = write_data_file(path(), big);
            if (r.ok())
                ::_exit(10);
            const std::string& m = r.error().message;
            // The step that failed reaches the user, not the words of the clean-up after it.
            const bool says_why = m.find("Writing canceled") == std::string::npos &&
                                  (m.find("書き込みに失敗しました") != std::string::npos ||
                                   m.find("確定できませんでした") != std::string::npos);
            ::_exit(m.find("以前の内容はそのまま残っています") == std::string::npos ? 11 : says_why ? 0 : 12);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(read_bytes(path()), old_bytes.value());
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty())
            << other_entries(dir_.path()).join(' ').toStdString();
    }
    // Without the limit the same table saves.
    ASSERT_TRUE(write_data_file(path(), big).ok());
    BrokerTable back;
    ASSERT_TRUE(read_data_file(path(), back).ok());
    EXPECT_TRUE(same_saved_elements(back, big));
}

} // namespace
