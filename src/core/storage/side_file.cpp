#include "core/storage/side_file.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text/message_text.h"

namespace fee {
namespace {

SideFileError in_the_way(const QString& path, const struct stat& st)
{
    return {SideFileError::Kind::InTheWay, 0, what_stands_at(path, st)};
}

SideFileError system_error(const QString& path, int code)
{
    return {code == ENOENT ? SideFileError::Kind::Missing : SideFileError::Kind::Failed, code,
            path.toStdString() + " を開けません（" + errno_reason(code) + "）"};
}

// What stands at `path` now, for a message about an open that failed.
SideFileError refused_open(const QString& path, int code)
{
    struct stat st {};
    if ((code == ELOOP || code == EEXIST || code == EACCES) &&
        ::lstat(QFile::encodeName(path).constData(), &st) == 0 && (!S_ISREG(st.st_mode) || !is_own(st)))
        return in_the_way(path, st);
    return system_error(path, code);
}

bool wants_own(SideAccess access)
{
    return access != SideAccess::ReadAny;
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        reset(std::exchange(other.fd_, -1));
    return *this;
}

void UniqueFd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

FileIdentity identity_of(const struct stat& st)
{
    return {st.st_dev, st.st_ino, st.st_uid};
}

std::optional<FileIdentity> identity_of(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return identity_of(st);
}

std::optional<FileIdentity> identity_at(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return identity_of(st);
}

bool is_own(const struct stat& st)
{
    return st.st_uid == ::geteuid();
}

Outcome<UniqueFd, SideFileError> open_side_file(const QString& path, SideAccess access, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    if (access != SideAccess::Create) {
        // Looked at first, so that a FIFO or a device is never even opened.
        if (::lstat(name.constData(), &before) != 0)
            return system_error(path, errno);
        if (!S_ISREG(before.st_mode) || (wants_own(access) && !is_own(before)))
            return in_the_way(path, before);
    }
    int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    flags |= access == SideAccess::Write || access == SideAccess::Create ? O_RDWR : O_RDONLY;
    if (access == SideAccess::Create)
        flags |= O_CREAT | O_EXCL;
    UniqueFd fd(::open(name.constData(), flags, mode));
    if (!fd)
        return refused_open(path, errno);
    struct stat now {};
    if (::fstat(fd.get(), &now) != 0)
        return system_error(path, errno);
    const bool swapped = access != SideAccess::Create && identity_of(now) != identity_of(before);
    if (!S_ISREG(now.st_mode) || (wants_own(access) && !is_own(now)) || swapped)
        return in_the_way(path, now);
    // Reads of a regular file never block anyway; plain flags for whoever uses it next.
    (void)::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

Outcome<UniqueFd, SideFileError> open_or_create_own_file(const QString& path, mode_t mode)
{
    // Two tries: a file removed between the two opens is made again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto made = open_side_file(path, SideAccess::Create, mode);
        if (made || made.error().code != EEXIST)
            return made;
        auto existing = open_side_file(path, SideAccess::Write);
        if (existing || existing.error().kind != SideFileError::Kind::Missing)
            return existing;
    }
    return system_error(path, EEXIST);
}

std::optional<QByteArray> read_side_file(const QString& path, qint64 limit)
{
    const auto fd = open_side_file(path, SideAccess::ReadAny);
    if (!fd)
        return std::nullopt;
    return read_open_file(fd->get(), limit);
}

std::optional<QByteArray> read_open_file(int fd, qint64 limit)
{
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + n > limit)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(chunk, static_cast<qsizetype>(n));
    }
}

bool remove_file_if(const QString& path, const FileIdentity& expected)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || identity_of(st) != expected)
        return false;
    return ::unlink(name.constData()) == 0;
}

std::string what_stands_at(const QString& path, const struct stat& st)
{
    std::string what;
    if (S_ISLNK(st.st_mode))
        what = "シンボリックリンク";
    else if (S_ISFIFO(st.st_mode))
        what = "名前付きパイプ (FIFO)";
    else if (S_ISDIR(st.st_mode))
        what = "フォルダー";
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        what = "装置ファイル";
    else if (S_ISSOCK(st.st_mode))
        what = "ソケット";
    else if (!is_own(st))
        what = "ほかの利用者 (uid " + std::to_string(st.st_uid) + ") のファイル";
    else
        what = "ファイル";
    return path.toStdString() + " は" + what + "です";
}

} // namespace fee
