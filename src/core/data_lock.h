#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "core/outcome.h"

class QLockFile;

namespace fee {

// One program's claim on a data file for as long as it works on it, shared by
// the windows and the companion: a second claim on the same file is refused.
// Beside the lock, a record names a save's new file while it is being written
// ("compare.dat.lock.save"), so that whoever holds the lock next can remove
// exactly that file when a kill cut the save off.
class DataLock {
public:
    explicit DataLock(QString data_path);
    ~DataLock();
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;

    // Takes the lock beside the file ("compare.dat.lock"); a lock left by a
    // process that no longer runs is taken over, and the file its save left
    // behind is removed. Where no lock file can be made beside the file (a
    // folder its user cannot write, a full disk), the lock is taken in the
    // user's runtime folder instead, named by the file's device and inode.
    // Refused while another process holds either.
    Status<> acquire();
    void release();
    bool held() const;
    // The lock file in use; empty when none is held.
    QString lock_file() const;

    // Before a save makes its new file: the name to remove should it be left.
    void record_save(const QString& new_file);
    // After the save, whatever became of the new file.
    void clear_record();

private:
    Status<> lock_at(const QString& lock_path, bool& refused);

    QString data_path_;
    std::unique_ptr<QLockFile> lock_;
    QString lock_path_;
};

// The lock file beside `data_path`.
QString lock_file_path(const QString& data_path);

// Where the lock goes when no lock file can be made beside the file, in the
// order tried: the user's runtime folder, then the temporary folder. Empty when
// the file cannot be found.
QStringList runtime_lock_paths(const QString& data_path);

} // namespace fee
