#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "core/broker_table.h"
#include "core/outcome.h"

class QLockFile;

namespace fee {

// One program's hold on a data file for as long as it works on it: a lock file
// beside it keeps a second copy (or the companion's normalize) out, and what
// the file held at load tells whether another program wrote it since.
class DataSession {
public:
    explicit DataSession(QString path);
    ~DataSession();
    DataSession(const DataSession&) = delete;
    DataSession& operator=(const DataSession&) = delete;

    // Takes the lock; a lock left by a process that no longer runs is taken
    // over. Refused when another process holds it. Where the folder takes no
    // lock file (read-only), the session goes on without one. While the lock
    // is held, the temporary files of an interrupted save are removed.
    Status<> acquire();

    // Reads the file into `table` and remembers what it held.
    Status<> load(BrokerTable& table);

    // True when the file no longer holds the bytes that load() read (another
    // program wrote or removed it).
    bool changed_on_disk() const;

    // Saves the table; on success it is what the file holds from now on.
    Status<> save(const BrokerTable& table);

    // The brokers whose saved elements differ from what the file held at
    // load, added brokers included: what quitting without saving would lose.
    std::vector<int> unsaved_brokers(const BrokerTable& table) const;
    // The last row the file held at load or at the last save.
    int saved_last_row() const { return saved_.last_row(); }

    const QString& path() const { return path_; }
    bool locked() const;

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    QByteArray fingerprint_;
    BrokerTable saved_;
};

// The lock file that guards `data_path`.
QString lock_file_path(const QString& data_path);

// Whether `name` has the form of the temporary file that a save of `data_name`
// leaves behind when it is interrupted: the data file's name, a dot and six
// letters or digits. Only such a file that does not hold a whole data file is
// removed.
bool is_interrupted_save(const QString& name, const QString& data_name);

} // namespace fee
