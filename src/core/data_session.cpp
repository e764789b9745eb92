#include "core/data_session.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include "core/data_file.h"

namespace fee {
namespace {

// SHA-256 of the whole file; empty when it cannot be read.
QByteArray fingerprint(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

void remove_interrupted_saves(const QString& data_path)
{
    const QFileInfo data(data_path);
    QDir folder = data.absoluteDir();
    const QStringList files =
        folder.entryList({data.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : files) {
        if (!is_interrupted_save(name, data.fileName()))
            continue;
        // A save that was cut off never holds a whole data file; one that does
        // is somebody's copy ("compare.dat.backup" fits the pattern too).
        BrokerTable scratch;
        if (!read_data_file(folder.filePath(name), scratch))
            folder.remove(name);
    }
}

} // namespace

QString lock_file_path(const QString& data_path)
{
    return data_path + QStringLiteral(".lock");
}

bool is_interrupted_save(const QString& name, const QString& data_name)
{
    // QSaveFile's temporary file: the name, a dot and six characters that
    // QTemporaryFile fills with letters and digits.
    if (name.size() != data_name.size() + 7 || !name.startsWith(data_name + QLatin1Char('.')))
        return false;
    for (qsizetype i = data_name.size() + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const bool alnum = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (!alnum)
            return false;
    }
    return true;
}

DataSession::DataSession(QString path) : path_(std::move(path)) {}

DataSession::~DataSession() = default;

Status<> DataSession::acquire()
{
    auto lock = std::make_unique<QLockFile>(lock_file_path(path_));
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
    if (held) {
        lock_ = std::move(lock);
        remove_interrupted_saves(path_);
        return done();
    }
    if (lock->error() == QLockFile::LockFailedError)
        return Error{path_.toStdString() + " は、ほかで開かれています（このプログラムがもう一つ動いているか、"
                                           "別のプログラムが使っています）。先に開いた方を閉じてから、"
                                           "もう一度始めて下さい。"};
    // No lock can be made beside the file: work on it all the same.
    return done();
}

bool DataSession::locked() const
{
    return lock_ && lock_->isLocked();
}

Status<> DataSession::load(BrokerTable& table)
{
    if (auto read = read_data_file(path_, table); !read)
        return read;
    fingerprint_ = fingerprint(path_);
    saved_ = table;
    return done();
}

bool DataSession::changed_on_disk() const
{
    return fingerprint(path_) != fingerprint_;
}

Status<> DataSession::save(const BrokerTable& table)
{
    if (auto saved = save_data_file(path_, table); !saved)
        return saved;
    fingerprint_ = fingerprint(path_);
    saved_ = table;
    return done();
}

std::vector<int> DataSession::unsaved_brokers(const BrokerTable& table) const
{
    std::vector<int> rows;
    for (int r = 0; r <= table.last_row(); ++r)
        if (r > saved_.last_row() || table.broker(r) != saved_.broker(r))
            rows.push_back(r);
    return rows;
}

} // namespace fee
