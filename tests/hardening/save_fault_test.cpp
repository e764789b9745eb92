// Writing compare.dat made to fail at every line, by a device that fills up and
// by the system's file size limit: the old file stays byte for byte, the
// message says why, nothing is left behind, and the same save succeeds once the
// fault is gone.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/datafile/data_file.h"
#include "fail_device.h"
#include "hardening_support.h"

using namespace fee;
using namespace fee::hardening;

namespace {

// Where each line of the file ends: the points at which a disk filling up
// would cut the save.
std::vector<std::size_t> line_ends(const std::string& bytes)
{
    std::vector<std::size_t> ends;
    for (std::size_t pos = bytes.find("\r\n"); pos != std::string::npos; pos = bytes.find("\r\n", pos + 2))
        ends.push_back(pos + 2);
    return ends;
}

// Saves `table` in a child whose file size limit is `limit`, so that the system
// refuses the bytes the way a full disk does without touching the test runner.
// 0: refused with a message that says why and that the old content stays;
// 10: the save went through; 11, 12: the message lacks one of the two.
int save_with_file_size_limit(const QString& path, const BrokerTable& table, rlim_t limit)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        const auto r = save_data_file(path, table);
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
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path() const { return dir_.filePath("compare.dat"); }

    QTemporaryDir dir_;
    const BrokerTable old_ = numbered_table(2, "old");
    const BrokerTable new_ = numbered_table(3, "new");
};

TEST_F(SaveFaults, ADeviceThatFillsUpAtAnyLineIsReportedAndGetsOnlyWholeBytes)
{
    const std::string bytes = serialize_data_file(new_).value();
    const auto ends = line_ends(bytes);
    ASSERT_EQ(ends.size(), std::size_t(data_file_lines(3)));
    for (std::size_t cut : ends) {
        if (cut == bytes.size())
            continue;
        SCOPED_TRACE("capacity " + std::to_string(cut));
        test::FailDevice device(static_cast<qint64>(cut));
        const auto r = write_data_file(device, new_);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().message, "書き込みに失敗しました（ディスクに空きがありません）");
        EXPECT_EQ(device.data().toStdString(), bytes.substr(0, cut));
    }
}

TEST_F(SaveFaults, EveryLineFailingKeepsTheOldFileAndARetrySucceeds)
{
    const auto old_bytes = serialize_data_file(old_);
    const auto new_bytes = serialize_data_file(new_);
    ASSERT_TRUE(old_bytes.ok() && new_bytes.ok());
    auto cuts = line_ends(new_bytes.value());
    cuts.insert(cuts.begin(), 0);
    cuts.pop_back(); // the whole file fits
    ASSERT_EQ(cuts.size(), 64u);

    int survived = 0;
    for (std::size_t cut : cuts) {
        SCOPED_TRACE("file size limit " + std::to_string(cut));
        ASSERT_TRUE(save_data_file(path(), old_).ok());
        ASSERT_EQ(read_bytes(path()), old_bytes.value());

        EXPECT_EQ(save_with_file_size_limit(path(), new_, cut), 0);
        EXPECT_EQ(read_bytes(path()), old_bytes.value());
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty())
            << other_entries(dir_.path()).join(' ').toStdString();
        BrokerTable reloaded;
        EXPECT_TRUE(read_data_file(path(), reloaded).ok());
        EXPECT_TRUE(same_saved_elements(reloaded, old_));

        // The fault has cleared: the same save goes through.
        ASSERT_TRUE(save_data_file(path(), new_).ok());
        EXPECT_EQ(read_bytes(path()), new_bytes.value());
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty());
        if (!::testing::Test::HasFailure())
            ++survived;
    }
    std::printf("failed saves: %zu, survived: %d\n", cuts.size(), survived);
}

TEST_F(SaveFaults, AFirstSaveThatFailsCreatesNothing)
{
    for (rlim_t limit : {rlim_t{0}, rlim_t{10}, rlim_t{200}}) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        // Refused; with no earlier content, there is none to call intact.
        EXPECT_EQ(save_with_file_size_limit(path(), new_, limit), 11);
        EXPECT_FALSE(QFile::exists(path()));
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty());
    }
}

TEST_F(SaveFaults, AFolderThatIsMissingIsReportedWithTheReason)
{
    const QString missing = dir_.filePath("no-such-folder/compare.dat");
    const auto r = save_data_file(missing, new_);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("に保存できませんでした: "), std::string::npos);
    // The reason comes from the system, not only our own words.
    EXPECT_GT(r.error().message.size(), (missing.toStdString() + " に保存できませんでした: \n").size() + 10);
    EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(SaveFaults, ADirectoryInThePlaceOfTheFileIsLeftAlone)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("compare.dat"));
    EXPECT_FALSE(save_data_file(path(), new_).ok());
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_TRUE(other_entries(dir_.path()).isEmpty());
}

// A large table cut by the file size limit at points inside its lines.
TEST_F(SaveFaults, ARealShortWriteKeepsTheOldFile)
{
    const BrokerTable big = numbered_table(21, std::string(2000, 'N'));
    const auto old_bytes = serialize_data_file(old_);
    ASSERT_TRUE(old_bytes.ok());
    ASSERT_TRUE(save_data_file(path(), old_).ok());

    for (rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{4096}, rlim_t{16384}, rlim_t{40000}}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        EXPECT_EQ(save_with_file_size_limit(path(), big, limit), 0);
        EXPECT_EQ(read_bytes(path()), old_bytes.value());
        EXPECT_TRUE(other_entries(dir_.path()).isEmpty())
            << other_entries(dir_.path()).join(' ').toStdString();
    }
    // Without the limit the same table saves.
    ASSERT_TRUE(save_data_file(path(), big).ok());
    BrokerTable back;
    ASSERT_TRUE(read_data_file(path(), back).ok());
    EXPECT_TRUE(same_saved_elements(back, big));
}

// A writable compare.dat in a folder its user cannot write to: no temporary file
// can be made beside it, so the save writes the file in place. Permissions do
// not bind root, so as root the companion runs as nobody, from a copy that
// nobody may execute.
TEST_F(SaveFaults, AReadOnlyFolderWithAWritableFileIsSavedInPlace)
{
    const bool root = ::geteuid() == 0;
    if (root && !QFile::exists(QStringLiteral("/usr/bin/setpriv")))
        GTEST_SKIP() << "running as root without setpriv: cannot drop privileges to test permissions";
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QString cli = bin.filePath("fee-compare-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(FEE_CLI_PATH), cli));
    for (const QString& folder : {bin.path(), dir_.path()})
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                      QFileDevice::ExeOther));

    const std::string messy = serialize_data_file(old_).value() + "junk after the last line\r\n";
    write_bytes(path(), messy);
    const auto run_normalize = [&] {
        QStringList command{cli, QStringLiteral("normalize"), QStringLiteral("--data"), path()};
        if (root)
            command = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups")} +
                      command;
        QProcess p;
        p.start(root ? QStringLiteral("/usr/bin/setpriv") : command.takeFirst(), command);
        EXPECT_TRUE(p.waitForFinished(30000));
        return std::pair(p.exitCode(), p.readAllStandardError().toStdString());
    };
    if (root) {
        ASSERT_EQ(::chown(path().toLocal8Bit().constData(), 65534, 65534), 0);
    } else {
        ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    const auto [status, err] = run_normalize();
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(read_bytes(path()), serialize_data_file(old_).value());
    EXPECT_TRUE(other_entries(dir_.path()).isEmpty()) << other_entries(dir_.path()).join(' ').toStdString();

    // The file itself read-only too: refused with the reason, nothing changed.
    write_bytes(path(), messy);
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadOther));
    const auto [refused, why] = run_normalize();
    EXPECT_EQ(refused, 1);
    EXPECT_NE(why.find("保存できませんでした"), std::string::npos) << why;
    EXPECT_EQ(read_bytes(path()), messy);
    QFile::setPermissions(dir_.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
