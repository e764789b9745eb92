#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>

#include "core/outcome.h"

struct stat;

namespace fee {

// An open file descriptor, closed with its owner.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// Which file a name or a descriptor stands for, and whose it is.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    uid_t owner = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity identity_of(const struct stat& st);
// Of an open file; nothing when fstat fails.
std::optional<FileIdentity> identity_of(int fd);
// Of the entry at `path` itself, a link not followed; nothing when there is none.
std::optional<FileIdentity> identity_at(const QString& path);

// Owned by whoever runs the program (root's files for root).
bool is_own(const struct stat& st);

// Why a file beside the data file was not opened.
struct SideFileError {
    enum class Kind {
        Missing,  // nothing has that name
        InTheWay, // a link, FIFO, device, folder or another user's file has it
        Failed,   // the system refused (a folder that takes no new file, a full disk)
    };
    Kind kind = Kind::Failed;
    int code = 0;        // errno for Failed
    std::string message; // names the file and what stands there, or the system's reason
};

// How the program opens every file that someone else may have put at one of
// its names (beside compare.dat, in a temporary folder): never through a
// link, never blocking (a FIFO or a device answers at once), and only if it is
// a regular file. What stands there is looked at before it is opened and
// compared after, so that nothing else is opened by a swap in between.
enum class SideAccess {
    ReadAny, // read only, whoever owns it
    ReadOwn, // read only, the user's own
    Write,   // read and write, the user's own
    Create,  // made anew, the user's own (O_EXCL)
};
Outcome<UniqueFd, SideFileError> open_side_file(const QString& path, SideAccess access, mode_t mode = 0600);

// Opens the user's own file at `path` for writing, making it when it is
// missing; never one that belongs to someone else or is not a regular file.
Outcome<UniqueFd, SideFileError> open_or_create_own_file(const QString& path, mode_t mode);

// The whole of a regular file at `path` (a link not followed), up to `limit`
// bytes; nothing when it is anything else, cannot be read or is larger.
std::optional<QByteArray> read_side_file(const QString& path, qint64 limit);

// The rest of the open file `fd`, up to `limit` bytes; nothing when it cannot
// be read or is larger.
std::optional<QByteArray> read_open_file(int fd, qint64 limit);

// Removes the regular file at `path` only while it is still the file
// `expected` names (device, inode and owner): what the program made and
// proved it made, never what took its name since.
bool remove_file_if(const QString& path, const FileIdentity& expected);

// "X はシンボリックリンクです" and the like: what stands at `path` instead of a
// regular file of the user's own, from its lstat.
std::string what_stands_at(const QString& path, const struct stat& st);

} // namespace fee
