#include "core/storage/file_save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "core/text/message_text.h"

namespace fee {
namespace {

Error failed_write(int code)
{
    return Error{"書き込みに失敗しました（" + errno_reason(code) + "）"};
}

// The new file of a save is named after the file it replaces: its own name, a
// dot and this many of kAlphabet's letters or digits.
constexpr int kTemporaryLetters = 6;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QString temporary_name(const QFileInfo& target)
{
    QString name = target.fileName() + u'.';
    for (int i = 0; i < kTemporaryLetters; ++i)
        name += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet - 1))]);
    return target.dir().filePath(name);
}

// The stretch of the file that differs from `old_bytes` is written back, then
// the file is cut to the old length. A size limit refused only bytes beyond
// it, which never changed, so this stays within the limit.
void write_back(QFile& file, std::string_view old_bytes)
{
    if (!file.seek(0))
        return;
    const QByteArray now = file.readAll();
    const auto common = std::min<qsizetype>(now.size(), static_cast<qsizetype>(old_bytes.size()));
    qsizetype first = 0;
    while (first < common && now[first] == old_bytes[static_cast<std::size_t>(first)])
        ++first;
    qsizetype last = common;
    while (last > first && now[last - 1] == old_bytes[static_cast<std::size_t>(last - 1)])
        --last;
    if (now.size() < static_cast<qsizetype>(old_bytes.size()))
        last = static_cast<qsizetype>(old_bytes.size());
    if (last > first && file.seek(first))
        (void)write_bytes(
            file, old_bytes.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first)));
    (void)file.resize(static_cast<qint64>(old_bytes.size()));
    (void)::fsync(file.handle());
}

// A save's new file, open for writing, and the name it has.
struct NewFile {
    UniqueFd fd;
    QString name;
};

ReplaceError refused_new_file(int code)
{
    return ReplaceError{"書き込み用に開けません（" + errno_reason(code) + "）",
                        code == EACCES || code == EPERM};
}

// Extended attributes (ACLs among them) of the file at `from`, set on `to`;
// false when any cannot be copied.
bool copy_extended_attributes(const QString& from, int to)
{
    const QByteArray path = QFile::encodeName(from);
    ssize_t size = ::llistxattr(path.constData(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::llistxattr(path.constData(), names.data(), names.size());
    if (size < 0)
        return false;
    for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        ssize_t length = ::lgetxattr(path.constData(), name, nullptr, 0);
        if (length < 0)
            return false;
        std::vector<char> value(static_cast<std::size_t>(length));
        length = ::lgetxattr(path.constData(), name, value.data(), value.size());
        if (length < 0 || ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) != 0)
            return false;
    }
    return true;
}

// The new file is held like the old one and takes what belongs to it: owner
// and group first, since a change of owner clears set-id bits, then the mode,
// then the extended attributes.
Status<ReplaceError> take_over(int fd, const QString& old_path, const struct stat* old,
                               const NewFileHooks& hooks)
{
    if (hooks.hold)
        if (const auto held = hooks.hold(fd); !held)
            return ReplaceError{held.error().message, false};
    if (!old)
        return done();
    struct stat now {};
    const bool owner_kept =
        ::fstat(fd, &now) == 0 && ((now.st_uid == old->st_uid && now.st_gid == old->st_gid) ||
                                   ::fchown(fd, old->st_uid, old->st_gid) == 0);
    if (!owner_kept || ::fchmod(fd, old->st_mode & 07777) != 0 || !copy_extended_attributes(old_path, fd))
        return ReplaceError{old_path.toStdString() + " の持ち主・グループ・属性を新しいファイルに写せません",
                            true};
    return done();
}

Status<ReplaceError> record(const NewFileHooks& hooks, const QString& name, int fd)
{
    if (!hooks.record)
        return done();
    const auto identity = identity_of(fd);
    if (!identity)
        return ReplaceError{failed_write(errno).message, false};
    if (const auto recorded = hooks.record(name, *identity); !recorded)
        return ReplaceError{recorded.error().message, false};
    return done();
}

// Names an unnamed file (O_TMPFILE); false with errno when it cannot be.
bool give_name(int fd, const QByteArray& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // Without /proc: the direct way, which needs a capability.
    return ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0;
}

// The new file of a save of `path`, beside it. Made unnamed where the file
// system can, so that it is held, owned and recorded before it has a name and
// a kill at any moment leaves nothing unrecorded; else made under its name
// and recorded at once, before anything is written into it.
Outcome<NewFile, ReplaceError> make_new_file(const QString& path, const struct stat* old,
                                             const NewFileHooks& hooks)
{
    const QFileInfo target(path);
    const mode_t mode = old ? 0600 : 0666; // the old file's mode is set later, else the umask's
    UniqueFd unnamed(
        ::open(QFile::encodeName(target.absolutePath()).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    if (!unnamed && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return refused_new_file(errno);
    if (unnamed) {
        if (auto taken = take_over(unnamed.get(), path, old, hooks); !taken)
            return taken.error();
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QString name = temporary_name(target);
            if (auto recorded = record(hooks, name, unnamed.get()); !recorded)
                return recorded.error();
            if (give_name(unnamed.get(), QFile::encodeName(name)))
                return NewFile{std::move(unnamed), name};
            if (errno != EEXIST)
                break; // no way to name it here: make it named
        }
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = temporary_name(target);
        const QByteArray encoded = QFile::encodeName(name);
        UniqueFd fd(::open(encoded.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!fd && errno == EEXIST)
            continue;
        if (!fd)
            return refused_new_file(errno);
        auto ready = record(hooks, name, fd.get());
        if (ready)
            ready = take_over(fd.get(), path, old, hooks);
        if (ready) // the owner may have changed
            ready = record(hooks, name, fd.get());
        if (!ready) {
            (void)::unlink(encoded.constData());
            return ready.error();
        }
        return NewFile{std::move(fd), name};
    }
    return refused_new_file(EEXIST);
}

} // namespace

QFileInfo save_target(const QString& path)
{
    const QFileInfo link(path);
    const QString resolved = link.canonicalFilePath();
    return QFileInfo(!resolved.isEmpty() ? resolved
                     : link.isSymLink()  ? link.symLinkTarget()
                                         : link.absoluteFilePath());
}

bool is_new_file_of_save(const QString& candidate, const QString& path)
{
    const QFileInfo target = save_target(path);
    const QFileInfo file(candidate);
    if (file.absolutePath() != target.absolutePath())
        return false;
    const QString name = file.fileName();
    const QString prefix = target.fileName() + u'.';
    if (name.size() != prefix.size() + kTemporaryLetters || !name.startsWith(prefix))
        return false;
    const QLatin1StringView letters(kAlphabet, sizeof kAlphabet - 1);
    return std::all_of(name.begin() + prefix.size(), name.end(),
                       [letters](QChar c) { return letters.contains(c); });
}

void ignore_file_size_signal()
{
    [[maybe_unused]] static const bool ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
}

Status<> write_bytes(QIODevice& device, std::string_view bytes)
{
    // A write cut short says nothing of why; the next one, refused outright,
    // gives the system's reason.
    while (!bytes.empty()) {
        const qint64 written = device.write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (written <= 0)
            return Error{"書き込みに失敗しました（" + system_reason(device.errorString()) + "）"};
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return done();
}

Outcome<Done, ReplaceError>
replace_file(const QString& path, const std::function<Status<>(QIODevice&)>& write, const NewFileHooks& hooks)
{
    ignore_file_size_signal();
    const QFileInfo target(path);
    struct stat old_file {};
    const bool exists =
        ::lstat(QFile::encodeName(path).constData(), &old_file) == 0 && S_ISREG(old_file.st_mode);
    // A new file would leave the other names with the old content.
    if (exists && old_file.st_nlink > 1)
        return ReplaceError{path.toStdString() + " にはほかの名前（ハードリンク）もあります", true};

    auto made = make_new_file(path, exists ? &old_file : nullptr, hooks);
    if (!made)
        return made.error();
    NewFile& created = made.value();
    QFile file;
    (void)file.open(created.fd.get(), QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::DontCloseHandle);
    Status<> written = write(file);
    if (written && ::fsync(created.fd.get()) != 0)
        written = failed_write(errno);
    file.close();
    const QByteArray new_name = QFile::encodeName(created.name);
    if (written && ::rename(new_name.constData(), QFile::encodeName(path).constData()) != 0)
        written = Error{"書き終えたファイルを確定できませんでした（" + errno_reason(errno) + "）"};
    if (!written) {
        (void)remove_file_if(created.name, *identity_of(created.fd.get()));
        return ReplaceError{written.error().message, false};
    }
    // The new name must reach the disk too; a failure here changes nothing the
    // user could act on.
    if (const int dir =
            ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return done();
}

Outcome<UniqueFd> open_for_rewrite(const QString& path)
{
    UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!fd)
        return Error{"書き込み用に開けません（" + errno_reason(errno) + "）"};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Error{"書き込み用に開けません（通常のファイルではありません）"};
    (void)::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

Status<> rewrite_in_place(QFile& file, std::string_view old_bytes, std::string_view new_bytes)
{
    ignore_file_size_signal();
    const int fd = file.handle();
    const auto old_size = static_cast<off_t>(old_bytes.size());
    const auto new_size = static_cast<off_t>(new_bytes.size());
    if (new_size > old_size) {
        // Space for every new byte first: nothing old has changed if this fails.
        if (const int code = ::posix_fallocate(fd, 0, new_size); code != 0) {
            struct stat now {};
            if (::fstat(fd, &now) == 0 && now.st_size != old_size)
                (void)::ftruncate(fd, old_size);
            return failed_write(code);
        }
    }
    Status<> written = file.seek(0) ? write_bytes(file, new_bytes) : Status<>(failed_write(EIO));
    if (written && new_size < old_size && ::ftruncate(fd, new_size) != 0)
        written = failed_write(errno);
    if (written && ::fsync(fd) != 0)
        written = failed_write(errno);
    if (!written)
        write_back(file, old_bytes);
    return written;
}

std::optional<QByteArray> read_whole_file(const QString& path)
{
    return read_side_file(path, std::numeric_limits<qint64>::max());
}

QString write_new_file(const QString& folder, const QString& stem, std::string_view bytes)
{
    (void)QDir().mkpath(folder);
    const UniqueFd dir(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!dir || ::fstat(dir.get(), &st) != 0 || !(is_own(st) || (st.st_uid == 0 && (st.st_mode & S_ISVTX))))
        return {};
    for (int n = 1; n < 100; ++n) {
        const QString name =
            (n == 1 ? stem : QStringLiteral("%1-%2").arg(stem).arg(n)) + QStringLiteral(".dat");
        UniqueFd fd(::openat(dir.get(), QFile::encodeName(name).constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        QFile file;
        (void)file.open(fd.get(), QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
        if (write_bytes(file, bytes) && ::fsync(fd.get()) == 0)
            return QDir(folder).filePath(name);
        (void)::unlinkat(dir.get(), QFile::encodeName(name).constData(), 0);
        return {};
    }
    return {};
}

} // namespace fee
