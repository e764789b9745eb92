// Every writer of compare.dat against every fault, each case in a child
// process that takes the fault on itself (a size limit, a full disk, another
// user, a system without locks): afterwards the file holds its old bytes or
// the intended new ones, the files beside it that the program did not make are
// all still there, and a message that says the old content is intact is true.
// Then the same writers against what a neighbour may plant at the program's
// names: nothing is followed, obeyed or waited on.
#include <gtest/gtest.h>

#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <cstddef>
#include <functional>
#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli.h"
#include "core/datafile/data_file.h"
#include "core/document/data_document.h"
#include "core/editing/broker_list.h"
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
    NoLockAnywhere,
    ForeignOwner,           // as root: a file of nobody's, mode 640
    ForeignOwnerHardLinked, // the same with a second name
    Count                   // how many there are
};

const QStringList kUserFiles = {"compare.dat.199912", "compare.dat.VSkwBf", "compare.dat.backup"};
const std::string kMalformed = "1\r\nonly a name\r\n";

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}
constexpr uid_t kNobody = 65534;
constexpr mode_t kForeignMode = 0640;
const QString kSecondName = QStringLiteral("compare.dat.hardlink");

bool foreign(Fault f)
{
    return f == Fault::ForeignOwner || f == Fault::ForeignOwnerHardLinked;
}

// Every flock fails, as on a file system without locks.
bool refuse_flock()
{
    const auto op = [](unsigned code) { return static_cast<__u16>(code); };
    sock_filter filter[] = {
        {op(BPF_LD | BPF_W | BPF_ABS), 0, 0, offsetof(seccomp_data, nr)},
        {op(BPF_JMP | BPF_JEQ | BPF_K), 0, 1, SYS_flock},
        {op(BPF_RET | BPF_K), 0, 0, SECCOMP_RET_ERRNO | ENOLCK},
        {op(BPF_RET | BPF_K), 0, 0, SECCOMP_RET_ALLOW},
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

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
    Answer cannot_save(const std::string& why) override
    {
        shown += why;
        return Answer::Discard;
    }
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
    uint owner = 0, mode = 0;
    QByteArray second_name; // a hard link's bytes
};

class WritersAndFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid() && report_dir_.isValid());
        // Children that run as another user report here too.
        QFile::setPermissions(report_dir_.path(), QFileDevice::Permissions(0x7777));
        // Where a lock goes when none can be made beside the file: this test's own.
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(report_dir_.filePath("cache")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(report_dir_.filePath("data")));
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
        if (foreign(f)) {
            (void)::chown(QFile::encodeName(path()).constData(), kNobody, kNobody);
            (void)::chmod(QFile::encodeName(path()).constData(), kForeignMode);
        }
        if (f == Fault::ForeignOwnerHardLinked)
            (void)::link(QFile::encodeName(path()).constData(),
                         QFile::encodeName(dir_.filePath(kSecondName)));
    }

    // The child: the fault on itself, the writer, then what it left, through a file.
    [[noreturn]] void child(Writer w, Fault f, const QString& report)
    {
        ::alarm(30); // a writer that hangs fails its case
        if ((foreign(f) && ::geteuid() != 0) || (f == Fault::NoLockAnywhere && !refuse_flock()))
            ::_exit(77);
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
        struct stat st {};
        (void)::stat(QFile::encodeName(path()).constData(), &st);
        s << status << QString::fromStdString(said) << QByteArray::fromStdString(read_bytes(path()))
          << QDir(dir_.path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)
          << uint(st.st_uid) << uint(st.st_mode & 07777)
          << QByteArray::fromStdString(read_bytes(dir_.filePath(kSecondName)));
        out.close();
        ::_exit(0);
    }

    // Runs one case, with what `plant` leaves beside the file; empty when this
    // machine cannot make the fault.
    std::optional<Result> run(Writer w, Fault f, const std::function<void()>& plant = {})
    {
        prepare(f);
        if (plant)
            plant();
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
            s >> r.status >> r.said >> r.bytes >> r.listing >> r.owner >> r.mode >> r.second_name;
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
            const bool saves = f == Fault::None || f == Fault::NoNewFiles || foreign(f) ||
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
            if (!nothing_loaded && !saves && f != Fault::ForeignWrite && f != Fault::NoLockAnywhere)
                EXPECT_TRUE(r->said.contains(QString::fromUtf8(kOldContentKept))) << r->said.toStdString();
            if (f == Fault::NoLockAnywhere)
                EXPECT_FALSE(r->said.isEmpty());
            // What belongs to the file stays: its owner, its mode, its other name.
            if (foreign(f))
                EXPECT_EQ(std::pair(r->owner, r->mode), std::pair(uint(kNobody), uint(kForeignMode)));
            if (f == Fault::ForeignOwnerHardLinked)
                EXPECT_EQ(r->second_name, r->bytes);
            if (r->said.contains(QString::fromUtf8(kOldContentKept)))
                EXPECT_EQ(now, old_);
            QStringList expected = f == Fault::NoFile ? kUserFiles : untouched;
            if (f == Fault::Locked)
                expected << "compare.dat.lock"; // the other holder's
            if (f == Fault::ForeignOwnerHardLinked)
                expected << kSecondName;
            EXPECT_EQ(sorted(r->listing), sorted(expected));
        }
    }
}

// What a neighbour may leave at a name the program uses.
enum class Plant { LinkOutside, LinkToData, Fifo, Folder, ForeignFile, RecordOfAnotherKind };

TEST_F(WritersAndFaults, NothingPlantedBesideTheFileIsFollowedObeyedOrWaitedOn)
{
    QTemporaryDir outside;
    const QString victim = outside.filePath("victim");
    const QString lock = "compare.dat.lock", record = "compare.dat.lock.save", shaped = "compare.dat.Ab3xYz";
    // Records an older copy would have believed: a name of the right shape, or any name.
    const QStringList crafted = {path(), dir_.filePath("compare.dat.backup"), dir_.filePath("../victim"),
                                 outside.filePath(shaped), dir_.filePath("compare.dat.VSkwBf")};
    struct Case {
        QString name;
        Plant plant;
        QString recorded = {};
    };
    std::vector<Case> cases;
    for (const QString& name : {lock, record, shaped})
        for (const Plant p :
             {Plant::LinkOutside, Plant::LinkToData, Plant::Fifo, Plant::Folder, Plant::ForeignFile})
            cases.push_back({name, p});
    for (const QString& named : crafted)
        cases.push_back({record, Plant::RecordOfAnotherKind, named});

    for (const Writer w : {Writer::Close, Writer::Unattended, Writer::Normalize, Writer::Rename,
                           Writer::Remove, Writer::Move}) {
        const std::string intended_bytes = intended(w);
        for (const Case& c : cases) {
            if (c.plant == Plant::ForeignFile && ::geteuid() != 0)
                continue;
            SCOPED_TRACE("writer " + std::to_string(int(w)) + ", " + c.name.toStdString() + ", plant " +
                         std::to_string(int(c.plant)) + " " + c.recorded.toStdString());
            write_bytes(victim, "not yours");
            write_bytes(outside.filePath(shaped), "not yours either");
            const QByteArray at = QFile::encodeName(dir_.filePath(c.name));
            QStringList before;
            const auto r = run(w, Fault::None, [&] {
                switch (c.plant) {
                case Plant::LinkOutside:
                    (void)::symlink(QFile::encodeName(victim).constData(), at.constData());
                    break;
                case Plant::LinkToData:
                    (void)::symlink("compare.dat", at.constData());
                    break;
                case Plant::Fifo:
                    (void)::mkfifo(at.constData(), 0666);
                    break;
                case Plant::Folder:
                    (void)::mkdir(at.constData(), 0777);
                    break;
                case Plant::ForeignFile:
                    write_bytes(dir_.filePath(c.name), "not yours");
                    (void)::chown(at.constData(), kNobody, kNobody);
                    break;
                case Plant::RecordOfAnotherKind:
                    write_bytes(dir_.filePath(c.name), QFile::encodeName(c.recorded).toStdString());
                    break;
                }
                before = QDir(dir_.path())
                             .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                        QDir::Name);
            });
            ASSERT_TRUE(r);
            // A record of the user's own is read and removed; anything else stays
            // as it was, and so do the files outside.
            if (c.plant == Plant::RecordOfAnotherKind)
                before.removeAll(record);
            EXPECT_EQ(r->listing, before);
            EXPECT_EQ(read_bytes(victim), "not yours");
            EXPECT_EQ(read_bytes(outside.filePath(shaped)), "not yours either");
            // Only a lock file of someone else's is taken, read only; nothing in
            // the way of the lock or the record lets the file be written.
            const bool refused = (c.name == lock && c.plant != Plant::ForeignFile) ||
                                 (c.name == record && c.plant != Plant::RecordOfAnotherKind);
            EXPECT_EQ(r->status, refused ? 1 : 0) << r->said.toStdString();
            EXPECT_EQ(r->bytes.toStdString(), refused ? old_ : intended_bytes);
            if (refused)
                EXPECT_TRUE(r->said.contains(c.name)) << r->said.toStdString();
            if (r->said.contains(QString::fromUtf8(kOldContentKept)))
                EXPECT_EQ(r->bytes.toStdString(), old_);
        }
    }
}

} // namespace
