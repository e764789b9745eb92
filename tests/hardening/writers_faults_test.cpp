// Every writer of compare.dat against every fault, each case in a child
// process that takes the fault on itself (a size limit, a full disk, another
// user): afterwards the file holds its old bytes or the intended new ones,
// the files beside it that the program did not make are all still there, and
// a message that says the old content is intact is true.
#include <gtest/gtest.h>

#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <grp.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli.h"
#include "core/broker_list.h"
#include "core/data_document.h"
#include "core/data_file.h"
#include "hardening_support.h"

using namespace fee;
using namespace fee::hardening;

namespace {

enum class Writer { Close, Unattended, Normalize, Rename, Remove, Move };
enum class Fault {
    None,
    NoFile,
    Unreadable,
    Malformed,
    Locked,
    LockedNoNewFiles,
    ForeignWrite,
    NoNewFiles,
    FailFirstByte,
    FailMiddle,
    NoNewFilesFailMiddle,
    DiskFull,
    Count // how many there are
};

const QStringList kUserFiles = {"compare.dat.199912", "compare.dat.VSkwBf", "compare.dat.backup"};
const std::string kMalformed = "1\r\nonly a name\r\n";

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}
constexpr uid_t kNobody = 65534;

// The user at the close box: wants the edit saved over anything, and gives
// up when the save fails.
class WantsItSaved : public CloseQuestions {
public:
    Answer changed_on_disk(const QString&) override { return Answer::Save; }
    Answer save_failed(const std::string& message) override
    {
        shown += message;
        return Answer::Discard;
    }
    bool confirm_discard(const LostChanges&) override { return true; }
    std::string shown;
};

Status<> edit(Writer w, BrokerTable& t)
{
    switch (w) {
    case Writer::Rename:
        return rename_broker(t, 1, "renamed");
    case Writer::Remove:
        return remove_broker(t, 1);
    case Writer::Move:
        return move_broker(t, 0, 2);
    case Writer::Normalize:
        return done();
    default:
        t.broker(0).yearly_fee = *Money::from_yen(999);
        return done();
    }
}

// Runs `w` as the program does: the document with the window's two kinds of
// answers, or the companion's command. The exit status and what was said.
std::pair<int, std::string> run_writer(Writer w, Fault f, const QString& path)
{
    if (w == Writer::Close || w == Writer::Unattended) {
        DataDocument document(path);
        if (auto opened = document.open(); !opened)
            return {1, opened.error().message};
        (void)edit(w, document.table());
        if (f == Fault::ForeignWrite)
            write_bytes(path, "0\r\nsomeone else's\r\n");
        WantsItSaved user;
        UnattendedAnswers nobody;
        CloseQuestions& answers = w == Writer::Close ? static_cast<CloseQuestions&>(user) : nobody;
        const bool saved = document.close(answers) == DataDocument::Closed::Saved;
        return {saved ? 0 : 1, user.shown + nobody.report()};
    }
    static const char* const kCommands[] = {"normalize", "rename", "remove", "move"};
    std::vector<std::string> args = {kCommands[int(w) - int(Writer::Normalize)]};
    if (w == Writer::Rename)
        args.insert(args.end(), {"1", "renamed"});
    if (w == Writer::Remove)
        args.push_back("1");
    if (w == Writer::Move)
        args.insert(args.end(), {"0", "2"});
    args.insert(args.end(), {"--data", path.toStdString()});
    std::ostringstream out, err;
    return {run_cli(args, out, err), err.str()};
}

bool drop_privileges()
{
    return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
                                ::setresuid(kNobody, kNobody, kNobody) == 0);
}

// A folder over which a small file system of its own is full once `bytes`,
// the user's files and the lock are in it (a private mount, gone with the child).
bool fill_disk(const QString& dir, const std::string& bytes)
{
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    const std::size_t pages = (bytes.size() + 4095) / 4096 + std::size_t(kUserFiles.size()) + 1;
    const std::string size = "size=" + std::to_string(pages * 4096) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, size.c_str()) != 0)
        return false;
    write_bytes(dir + "/compare.dat", bytes);
    for (const QString& name : kUserFiles)
        write_bytes(dir + '/' + name, "mine");
    return true;
}

struct Result {
    int status = -1;
    QString said;
    QByteArray bytes;
    QStringList listing;
};

class WritersAndFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid() && report_dir_.isValid());
        // Children that run as another user report here too.
        QFile::setPermissions(report_dir_.path(), QFileDevice::Permissions(0x7777));
        old_ = serialize_data_file(numbered_table(3, "old")).value() + "a line after the last\r\n";
    }

    QString path() const { return dir_.filePath("compare.dat"); }

    std::string intended(Writer w) const
    {
        BrokerTable t;
        write_bytes(path() + ".reference", old_);
        (void)read_data_file(path() + ".reference", t);
        QFile::remove(path() + ".reference");
        (void)edit(w, t);
        return serialize_data_file(t).value();
    }

    // The folder as the fault needs it, with the user's own files beside.
    void prepare(Fault f)
    {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        for (const QString& name : kUserFiles)
            write_bytes(dir_.filePath(name), "mine");
        if (f != Fault::NoFile)
            write_bytes(path(), f == Fault::Malformed ? kMalformed : old_);
        const bool root = ::geteuid() == 0;
        QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7755));
        if (f == Fault::Unreadable)
            QFile::setPermissions(path(), QFileDevice::Permissions(root ? 0x6222 : 0x2222));
        if (f == Fault::NoNewFiles || f == Fault::NoNewFilesFailMiddle || f == Fault::LockedNoNewFiles) {
            if (root)
                (void)::chown(QFile::encodeName(path()).constData(), kNobody, kNobody);
            else
                QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x5555));
        }
    }

    // The child: the fault on itself, the writer, then what it left, through a file.
    [[noreturn]] void child(Writer w, Fault f, const QString& report)
    {
        const bool in_place =
            f == Fault::NoNewFiles || f == Fault::NoNewFilesFailMiddle || f == Fault::LockedNoNewFiles;
        if (f == Fault::DiskFull && !fill_disk(dir_.path(), old_))
            ::_exit(77);
        if ((in_place || f == Fault::Unreadable) && !drop_privileges())
            ::_exit(77);
        if (f == Fault::FailFirstByte || f == Fault::FailMiddle || f == Fault::NoNewFilesFailMiddle) {
            const rlim_t limit = f == Fault::FailFirstByte ? 0 : old_.size() / 2;
            const rlimit rl{limit, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &rl);
        }
        // Where no lock file can be made beside the file, a first copy holds
        // the file all the same.
        std::optional<DataDocument> first;
        if (f == Fault::LockedNoNewFiles && !first.emplace(path()).open())
            ::_exit(79);
        const auto [status, said] = run_writer(w, f, path());
        first.reset();
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &unlimited); // for the report
        QFile out(report);
        if (!out.open(QIODevice::WriteOnly))
            ::_exit(78);
        QDataStream s(&out);
        s << status << QString::fromStdString(said) << QByteArray::fromStdString(read_bytes(path()))
          << QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        out.close();
        ::_exit(0);
    }

    // Runs one case; empty when this machine cannot make the fault.
    std::optional<Result> run(Writer w, Fault f)
    {
        prepare(f);
        std::optional<DataDocument> holder;
        if (f == Fault::Locked) {
            holder.emplace(path());
            EXPECT_TRUE(holder->open().ok());
        }
        const QString report = report_dir_.filePath("report");
        QFile::remove(report);
        const pid_t pid = ::fork();
        if (pid == 0)
            child(w, f, report);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
            return std::nullopt;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        Result r;
        QFile in(report);
        if (in.open(QIODevice::ReadOnly)) {
            QDataStream s(&in);
            s >> r.status >> r.said >> r.bytes >> r.listing;
        }
        if (f == Fault::Unreadable) { // unreadable to the child, maybe to this process too
            QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            r.bytes = QByteArray::fromStdString(read_bytes(path()));
        }
        return r;
    }

    QTemporaryDir dir_, report_dir_;
    std::string old_;
};

TEST_F(WritersAndFaults, TheFileIsOldOrIntendedAndEveryClaimIsTrue)
{
    const QStringList untouched = QStringList{"compare.dat"} + kUserFiles;
    for (const Writer w : {Writer::Close, Writer::Unattended, Writer::Normalize, Writer::Rename,
                           Writer::Remove, Writer::Move}) {
        const std::string intended_bytes = intended(w);
        for (int fi = int(Fault::None); fi < int(Fault::Count); ++fi) {
            const auto f = Fault(fi);
            const bool cli = w != Writer::Close && w != Writer::Unattended;
            if (cli && f == Fault::ForeignWrite)
                continue; // the companion reads and writes in one go
            SCOPED_TRACE("writer " + std::to_string(int(w)) + ", fault " + std::to_string(fi));
            const auto r = run(w, f);
            if (!r) {
                std::printf("writer %d, fault %d: cannot be made here, skipped\n", int(w), fi);
                continue;
            }
            const std::string now = r->bytes.toStdString();
            const bool nothing_loaded = f == Fault::NoFile || f == Fault::Unreadable ||
                                        f == Fault::Malformed || f == Fault::Locked ||
                                        f == Fault::LockedNoNewFiles;
            const bool saves = f == Fault::None || f == Fault::NoNewFiles ||
                               (f == Fault::ForeignWrite && w == Writer::Close);
            EXPECT_EQ(r->status == 0, saves) << r->said.toStdString();
            if (saves)
                EXPECT_EQ(now, intended_bytes);
            else if (f == Fault::NoFile)
                EXPECT_EQ(now, "<missing>");
            else if (f == Fault::Malformed)
                EXPECT_EQ(now, kMalformed);
            else if (f == Fault::ForeignWrite)
                EXPECT_NE(now, intended_bytes);
            else
                EXPECT_EQ(now, old_);
            if (!nothing_loaded && !saves && f != Fault::ForeignWrite)
                EXPECT_TRUE(r->said.contains(QString::fromUtf8(kOldContentKept))) << r->said.toStdString();
            if (r->said.contains(QString::fromUtf8(kOldContentKept)))
                EXPECT_EQ(now, old_);
            QStringList expected = f == Fault::NoFile ? kUserFiles : untouched;
            if (f == Fault::Locked)
                expected << "compare.dat.lock"; // the other holder's
            EXPECT_EQ(sorted(r->listing), sorted(expected));
        }
    }
}

} // namespace
