#include "core/file_save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/message_text.h"

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

Outcome<Done, ReplaceError> replace_file(const QString& path,
                                         const std::function<Status<>(QIODevice&)>& write,
                                         const std::function<void(const QString&)>& announce)
{
    ignore_file_size_signal();
    const QFileInfo target = save_target(path);
    struct stat old_file {};
    const bool exists = ::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &old_file) == 0;
    const mode_t mode = exists ? (old_file.st_mode & 07777) : 0666;

    const QString temp = temporary_name(target);
    if (announce)
        announce(temp);
    const QByteArray temp_name = QFile::encodeName(temp);
    const int fd = ::open(temp_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        const int code = errno;
        return ReplaceError{"書き込み用に開けません（" + errno_reason(code) + "）",
                            code == EACCES || code == EPERM};
    }
    QFile file;
    (void)file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    if (exists)
        (void)::fchmod(fd, mode); // the umask may have taken bits away
    Status<> written = write(file);
    if (written && ::fsync(fd) != 0)
        written = failed_write(errno);
    file.close();
    if (written &&
        ::rename(temp_name.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        written = Error{"書き終えたファイルを確定できませんでした（" + errno_reason(errno) + "）"};
    if (!written) {
        ::unlink(temp_name.constData());
        return ReplaceError{written.error().message, false};
    }
    // The new name must reach the disk too; a failure here changes nothing the
    // user could act on.
    if (const int dir = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
        dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return done();
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QString write_new_file(const QString& folder, const QString& stem, std::string_view bytes)
{
    if (!QDir().mkpath(folder))
        return {};
    for (int n = 1; n < 100; ++n) {
        const QString name = n == 1 ? stem : QStringLiteral("%1-%2").arg(stem).arg(n);
        QFile file(QDir(folder).filePath(name + QStringLiteral(".dat")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            return {};
        }
        if (write_bytes(file, bytes) && file.flush() && ::fsync(file.handle()) == 0)
            return file.fileName();
        file.remove();
        return {};
    }
    return {};
}

} // namespace fee
