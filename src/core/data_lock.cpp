#include "core/data_lock.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_save.h"

namespace fee {
namespace {

// The record of a save in progress: a file of its own beside the lock, so that
// it outlives whatever becomes of the lock file when its owner dies.
QString record_path(const QString& lock_path)
{
    return lock_path + QStringLiteral(".save");
}

QString recorded_save(const QString& lock_path)
{
    QFile file(record_path(lock_path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QFile::decodeName(file.read(64 * 1024));
}

Error already_open(const QString& data_path)
{
    return Error{data_path.toStdString() + " は、ほかで開かれています（このプログラムがもう一つ動いているか、"
                                           "別のプログラムが使っています）。先に開いた方を閉じてから、"
                                           "もう一度始めて下さい。"};
}

} // namespace

QString lock_file_path(const QString& data_path)
{
    return data_path + QStringLiteral(".lock");
}

QStringList runtime_lock_paths(const QString& data_path)
{
    struct stat file {};
    if (::stat(QFile::encodeName(data_path).constData(), &file) != 0)
        return {};
    // The same file under any name, link or mount point has one lock.
    const QString name =
        QStringLiteral("fee-compare-%1-%2.lock").arg(quint64(file.st_dev)).arg(quint64(file.st_ino));
    QStringList paths;
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty())
        paths << QDir(runtime).filePath(name);
    return paths << QDir(QDir::tempPath()).filePath(name);
}

DataLock::DataLock(QString data_path) : data_path_(std::move(data_path)) {}

DataLock::~DataLock() = default;

Status<> DataLock::acquire()
{
    ignore_file_size_signal(); // the lock file is written too
    bool refused = false;
    for (const QString& lock_path : QStringList{lock_file_path(data_path_)} + runtime_lock_paths(data_path_))
        if (auto locked = lock_at(lock_path, refused); locked || refused)
            return locked;
    // No lock can be made anywhere: work on the file all the same.
    return done();
}

Status<> DataLock::lock_at(const QString& lock_path, bool& refused)
{
    auto lock = std::make_unique<QLockFile>(lock_path);
    // Held for as long as the program runs: only a lock of a process that is
    // gone counts as stale, never one that is merely old.
    lock->setStaleLockTime(0);
    bool held = lock->tryLock(100);
    if (!held && lock->error() == QLockFile::LockFailedError) {
        // Qt takes over a lock whose process is gone, but not one whose owner
        // died while still writing its name into it. The owner of a lock keeps
        // it locked at the system level for as long as it runs, so removing
        // the file fails while its process lives, whatever the file says.
        if (lock->removeStaleLockFile())
            held = lock->tryLock(100);
    }
    if (!held) {
        refused = lock->error() == QLockFile::LockFailedError;
        return refused ? already_open(data_path_) : Error{"no lock file"};
    }
    lock_ = std::move(lock);
    lock_path_ = lock_path;
    // A record left means its writer died saving: whoever held the lock before.
    if (const QString left = recorded_save(lock_path);
        !left.isEmpty() && is_new_file_of_save(left, data_path_))
        QFile::remove(left);
    clear_record();
    // Qt's own helper lock, left by a process killed while it took over a
    // stale lock; removed only when no live process holds it.
    if (QFile::exists(lock_path + QStringLiteral(".rmlock")))
        QLockFile(lock_path + QStringLiteral(".rmlock")).removeStaleLockFile();
    return done();
}

void DataLock::release()
{
    lock_.reset();
    lock_path_.clear();
}

bool DataLock::held() const
{
    return lock_ && lock_->isLocked();
}

QString DataLock::lock_file() const
{
    return lock_path_;
}

void DataLock::record_save(const QString& new_file)
{
    if (!held())
        return;
    QFile record(record_path(lock_path_));
    if (record.open(QIODevice::WriteOnly | QIODevice::Truncate))
        record.write(QFile::encodeName(new_file));
}

void DataLock::clear_record()
{
    if (held())
        QFile::remove(record_path(lock_path_));
}

} // namespace fee
