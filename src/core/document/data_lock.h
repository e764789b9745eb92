#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "core/outcome.h"
#include "core/storage/side_file.h"

namespace fee {

// One program's claim on a data file for as long as it works on it, shared by
// the windows and the companion: a second claim on the same file, by any name
// (a link, a hard link, "..") is refused.
//
// The claim is an flock on the file itself and on a lock file beside it
// ("compare.dat.lock", with the lines Qt's QLockFile writes, which older
// copies of the program honour). Whether a lock is held is whether flock can
// be taken, never a guess from a pid. Beside the lock file, a record
// ("compare.dat.lock.save") names a save's new file, its device, inode and
// owner, while the save runs, so that whoever holds the lock next can remove
// exactly that file when a kill cut the save off.
//
// Nothing found at these names is trusted: a link, FIFO, device or folder is
// never followed, read, written or removed, another user's lock file is only
// ever opened to be read, and another user's record is not believed.
class DataLock {
public:
    DataLock() = default;
    ~DataLock();
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;

    // Opens the data file at `real_path` (links resolved) and takes the lock,
    // then clears what a killed save left. Where no lock file can be made
    // beside the file (a folder its user cannot write, a full disk), the lock
    // file goes to the user's runtime or cache folder, named by the file's
    // device and inode. Refused while another program holds the file, or when
    // something the program did not make stands at the lock's or the
    // record's name. Where the system takes no lock at all, it succeeds but
    // holds nothing, and unguarded() says why.
    // Messages name the file `shown`, the name the user gave.
    Status<> acquire(const QString& real_path, const QString& shown);
    void release();
    // True while the file is guarded: only then may it be written.
    bool held() const;
    // Why the file is not guarded although acquire() succeeded; else empty.
    const std::string& unguarded() const { return unguarded_; }
    // The data file as opened by acquire(), for reading; -1 when none.
    int data_file() const { return data_.get(); }
    // The lock file in use; empty when none.
    QString lock_file() const { return lock_path_; }

    // For a save: hold the new file from the moment it exists, and record it
    // before it takes a name or content.
    Status<> hold_new_file(int fd);
    Status<> record_new_file(const QString& name, const FileIdentity& file);
    // After the save: when the new file took the data file's place, the lock
    // stays with it. The record goes either way.
    void finish_save();

private:
    Status<> lock_data_file();
    Status<> lock_beside_or_elsewhere();
    // True when taken, false when no lock file can be had at `path`.
    Outcome<bool> take_lock_file(const QString& path);
    void clear_leftovers();

    QString real_path_;
    QString shown_;
    UniqueFd data_;     // the data file, flock held when data_locked_
    UniqueFd new_file_; // a save's new file, held until it replaces data_
    UniqueFd lock_;     // the lock file, flock held
    QString lock_path_; // its name
    bool lock_is_own_ = false;
    bool data_locked_ = false;
    bool recorded_ = false;
    std::string unguarded_;
};

// The lock file beside `data_path`.
QString lock_file_path(const QString& data_path);

// The record of a save's new file, beside the lock file `lock_path`.
QString save_record_path(const QString& lock_path);

// Where the lock goes when no lock file can be made beside the file, in the
// order tried: the user's runtime folder, then the user's cache folder; only
// folders of the user's own, never one another user could make first. Empty
// when the file cannot be found.
QStringList fallback_lock_paths(const QString& data_path);

} // namespace fee
