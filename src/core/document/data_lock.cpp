#include "core/document/data_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/datafile/data_file.h"
#include "core/storage/file_save.h"
#include "core/text/message_text.h"

namespace fee {
namespace {

// The first line of a record; a file that does not start with it is no record.
constexpr char kRecordHeading[] = "fee-compare new file 1\n";
constexpr qint64 kLongestRecord = 64 * 1024;
// Qt's QLockFile takes over a stale lock through "X.rmlock", and that one
// through "X.rmlock.rmlock"; a kill at the wrong moment leaves them.
constexpr int kHelperLockDepth = 4;

Error already_open(const QString& data_path)
{
    return Error{data_path.toStdString() + " は、ほかで開かれています（このプログラムがもう一つ動いているか、"
                                           "別のプログラムが使っています）。先に開いた方を閉じてから、"
                                           "もう一度始めて下さい。"};
}

// A whole sentence, which a failed save's message gives as it is.
Error in_the_way(const std::string& what, const QString& data_path)
{
    return Error{what + "。このプログラムの使う名前に、このプログラムが作ったのではないものがあるため、" +
                 data_path.toStdString() +
                 " には何も書き込みません。それを取り除いてから、もう一度試して下さい。"};
}

// 0 when taken, else the errno: EWOULDBLOCK while another holds it.
int try_flock(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR)
            return errno;
    return 0;
}

// Whether `path` still names the file open as `fd`: a lock on a file that has
// lost its name since it was opened guards nothing.
bool still_named(const QString& path, int fd)
{
    const auto named = identity_at(path);
    const auto open = identity_of(fd);
    return named && open && named->device == open->device && named->inode == open->inode;
}

// What QLockFile writes, so that an older copy of the program that finds the
// file sees a live lock: pid, program, host, machine and boot.
QByteArray lock_contents()
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
           QFileInfo(program).fileName().toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n' +
           QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n';
}

bool write_all(int fd, const QByteArray& bytes)
{
    return ::ftruncate(fd, 0) == 0 && ::pwrite(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()),
                                               0) == static_cast<ssize_t>(bytes.size());
}

// The lock file at `path`: the user's own opened to be written, made when
// missing; another user's only opened to be read.
Outcome<UniqueFd, SideFileError> open_lock_file(const QString& path, bool& own)
{
    struct stat st {};
    own = !(::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && !is_own(st));
    return own ? open_or_create_own_file(path, 0644) : open_side_file(path, SideAccess::ReadAny);
}

// A folder of the user's own, not reached through a link; else empty.
QString own_folder(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || !QDir::isAbsolutePath(path) ||
        ::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || !is_own(st))
        return {};
    return path;
}

QString cache_folder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    const QString folder = QDir(cache).filePath(QStringLiteral("fee-compare"));
    if (QDir().mkpath(cache))
        (void)::mkdir(QFile::encodeName(folder).constData(), 0700);
    return own_folder(folder);
}

} // namespace

QString lock_file_path(const QString& data_path)
{
    return data_path + QStringLiteral(".lock");
}

QString save_record_path(const QString& lock_path)
{
    return lock_path + QStringLiteral(".save");
}

QStringList fallback_lock_paths(const QString& data_path)
{
    struct stat file {};
    if (::stat(QFile::encodeName(data_path).constData(), &file) != 0)
        return {};
    // The same file under any name, link or mount point has one lock; older
    // copies of the program use the same name in the runtime folder.
    const QString name =
        QStringLiteral("fee-compare-%1-%2.lock").arg(quint64(file.st_dev)).arg(quint64(file.st_ino));
    QStringList paths;
    for (const QString& folder : {own_folder(qEnvironmentVariable("XDG_RUNTIME_DIR")), cache_folder()})
        if (!folder.isEmpty())
            paths << QDir(folder).filePath(name);
    return paths;
}

DataLock::~DataLock()
{
    release();
}

Status<> DataLock::acquire(const QString& real_path, const QString& shown)
{
    release();
    ignore_file_size_signal(); // the lock file is written too
    real_path_ = real_path;
    shown_ = shown;
    Status<> status = lock_data_file();
    if (status)
        status = lock_beside_or_elsewhere();
    if (!status) {
        release();
        return status;
    }
    clear_leftovers();
    if (!held())
        unguarded_ =
            shown.toStdString() +
            " をほかのプログラムから守るロックを取れません（このファイルシステムはロックに対応していま"
            "せん）。";
    return done();
}

Status<> DataLock::lock_data_file()
{
    // A save by another copy renames its new file over the name; the lock
    // must be on the file the name stands for once it is held.
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto opened = open_data_file(real_path_, LinkAtName::Refuse);
        if (!opened)
            return opened.error();
        const int code = try_flock(opened->get());
        if (code == EWOULDBLOCK)
            return already_open(shown_);
        if (!still_named(real_path_, opened->get()))
            continue;
        data_ = std::move(opened).value();
        data_locked_ = code == 0;
        return done();
    }
    return Error{shown_.toStdString() +
                 " が開くたびに置き換えられています。しばらくしてから、もう一度試して下さい。"};
}

Status<> DataLock::lock_beside_or_elsewhere()
{
    const auto beside = take_lock_file(lock_file_path(real_path_));
    if (!beside)
        return beside.error();
    if (beside.value())
        return done();
    // Elsewhere only where none can be made beside the file.
    for (const QString& path : fallback_lock_paths(real_path_)) {
        const auto taken = take_lock_file(path);
        if (!taken)
            return taken.error();
        if (taken.value())
            return done();
    }
    return done();
}

Outcome<bool> DataLock::take_lock_file(const QString& path)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        bool own = false;
        auto opened = open_lock_file(path, own);
        if (!opened && opened.error().kind == SideFileError::Kind::InTheWay)
            return in_the_way(opened.error().message, shown_);
        if (!opened)
            return false; // no lock file can be made here
        const int code = try_flock(opened->get());
        if (code == EWOULDBLOCK)
            return already_open(shown_);
        if (code != 0) { // a file system without locks: no use leaving the file
            if (own)
                (void)remove_file_if(path, *identity_of(opened->get()));
            return false;
        }
        if (!still_named(path, opened->get()))
            continue; // removed by its last holder meanwhile
        lock_ = std::move(opened).value();
        lock_path_ = path;
        lock_is_own_ = own;
        if (own)
            (void)write_all(lock_.get(), lock_contents());
        return true;
    }
    return false;
}

void DataLock::clear_leftovers()
{
    const QString record = save_record_path(lock_path_);
    struct stat st {};
    if (!lock_path_.isEmpty() && ::lstat(QFile::encodeName(record).constData(), &st) == 0 &&
        S_ISREG(st.st_mode) && is_own(st)) {
        // A record left means its writer died saving: whoever held the lock
        // before. It is believed only for a file it proves it made.
        const QByteArray bytes = read_side_file(record, kLongestRecord).value_or(QByteArray());
        const qsizetype end_of_numbers = bytes.indexOf('\n', qsizetype(sizeof kRecordHeading - 1));
        if (bytes.startsWith(kRecordHeading) && end_of_numbers > 0) {
            const QList<QByteArray> numbers =
                bytes.mid(sizeof kRecordHeading - 1, end_of_numbers - qsizetype(sizeof kRecordHeading - 1))
                    .split(' ');
            const QString name = QFile::decodeName(bytes.mid(end_of_numbers + 1));
            bool ok[3] = {};
            if (numbers.size() == 3 && is_new_file_of_save(name, real_path_)) {
                const FileIdentity made{dev_t(numbers[0].toULongLong(&ok[0])),
                                        ino_t(numbers[1].toULongLong(&ok[1])),
                                        uid_t(numbers[2].toUInt(&ok[2]))};
                if (ok[0] && ok[1] && ok[2])
                    (void)remove_file_if(name, made);
            }
        }
        (void)remove_file_if(record, identity_of(st));
    }
    // Qt's helper locks, removed only when no live process holds them.
    QString helper = lock_path_;
    for (int depth = 0; !lock_path_.isEmpty() && depth < kHelperLockDepth; ++depth) {
        helper += QStringLiteral(".rmlock");
        if (auto fd = open_side_file(helper, SideAccess::ReadOwn); fd && try_flock(fd->get()) == 0)
            (void)remove_file_if(helper, *identity_of(fd->get()));
    }
}

void DataLock::release()
{
    // Removed while still held, and only while it is still the file made.
    if (lock_ && lock_is_own_)
        if (const auto mine = identity_of(lock_.get()))
            (void)remove_file_if(lock_path_, *mine);
    finish_save();
    lock_.reset();
    data_.reset();
    lock_path_.clear();
    lock_is_own_ = false;
    data_locked_ = false;
    unguarded_.clear();
}

bool DataLock::held() const
{
    return data_locked_ || bool(lock_);
}

Status<> DataLock::hold_new_file(int fd)
{
    if (!data_locked_)
        return done();
    UniqueFd copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    const int code = copy ? try_flock(copy.get()) : errno;
    if (code != 0)
        return Error{"新しいファイルをロックできません（" + errno_reason(code) + "）"};
    new_file_ = std::move(copy);
    return done();
}

Status<> DataLock::record_new_file(const QString& name, const FileIdentity& file)
{
    if (lock_path_.isEmpty())
        return Error{"新しいファイルを記録する場所（ロックの横）がありません"};
    const QString record = save_record_path(lock_path_);
    auto fd = open_or_create_own_file(record, 0600);
    if (!fd)
        return fd.error().kind == SideFileError::Kind::InTheWay ? in_the_way(fd.error().message, shown_)
                                                                : Error{fd.error().message};
    recorded_ = true; // removed after the save, whatever it holds
    const QByteArray text = QByteArray(kRecordHeading) + QByteArray::number(quint64(file.device)) + ' ' +
                            QByteArray::number(quint64(file.inode)) + ' ' +
                            QByteArray::number(quint64(file.owner)) + '\n' + QFile::encodeName(name);
    if (!write_all(fd->get(), text))
        return Error{record.toStdString() + " に書き込めません（" + errno_reason(errno) + "）"};
    return done();
}

void DataLock::finish_save()
{
    if (new_file_ && still_named(real_path_, new_file_.get()))
        data_ = std::move(new_file_);
    new_file_.reset();
    if (recorded_) {
        const QString record = save_record_path(lock_path_);
        struct stat st {};
        if (::lstat(QFile::encodeName(record).constData(), &st) == 0 && S_ISREG(st.st_mode) && is_own(st))
            (void)remove_file_if(record, identity_of(st));
        recorded_ = false;
    }
}

} // namespace fee
