#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/outcome.h"
#include "core/storage/side_file.h"

class QFile;
class QFileInfo;
class QIODevice;

namespace fee {

// A size limit (ulimit -f) would otherwise end the program with SIGXFSZ in the
// middle of a write; ignored, a write beyond it fails with EFBIG like one on a
// full disk, and the user gets the usual choices.
void ignore_file_size_signal();

// The file a save of `path` replaces: through a symbolic link, the file it
// names, so that the link stays a link.
QFileInfo save_target(const QString& path);

// Whether `candidate` is a name replace_file() gives the new file of a save of
// `path`: beside it, its name, a dot and six letters or digits. A name of that
// shape proves nothing about who made the file; only a record does.
bool is_new_file_of_save(const QString& candidate, const QString& path);

// Writes `bytes` to an open device; a short or failed write is an error that
// gives the system's reason.
Status<> write_bytes(QIODevice& device, std::string_view bytes);

// Why a replacement failed. `in_place`: nothing was written anywhere, and
// the file is to be rewritten in place instead: the folder takes no new file,
// or a new file could not keep the old one's owner, group or extended
// attributes, or the file has other hard links that a new file would leave
// with the old content.
struct ReplaceError {
    std::string reason; // "書き込み用に開けません（権限がありません）"
    bool in_place = false;
};

// What a save tells whoever holds the file about the new file it makes.
struct NewFileHooks {
    // The new file exists, still empty and perhaps unnamed: take hold of it
    // as of the file it will replace. A failure stops the save.
    std::function<Status<>(int fd)> hold;
    // Before the new file takes `name` (or, where it cannot be made unnamed,
    // before anything is written into it): record it, so that whoever finds
    // it after a kill can prove it is the save's. A failure stops the save.
    std::function<Status<>(const QString& name, const FileIdentity& file)> record;
};

// Replaces the file at `path` (the real file; a link there is replaced, not
// followed) by a new one written in full beside it and renamed over it once
// it is on disk: the file holds either the old or the new content, never a
// mixture. `write` fills the new file. The new file takes the old one's owner,
// group, permissions and extended attributes before it has a name.
Outcome<Done, ReplaceError> replace_file(const QString& path,
                                         const std::function<Status<>(QIODevice&)>& write,
                                         const NewFileHooks& hooks = {});

// The file at `path` opened for a rewrite in place: a regular file, not
// through a link, never blocking; the reason when it cannot be.
Outcome<UniqueFd> open_for_rewrite(const QString& path);

// Rewrites an open file in place, for a folder that takes no new file: the
// file first grows to the new size, so that a full disk or a size limit fails
// before any old byte changes; then the new bytes go over the old; then the
// file is cut to length. When a step fails after old bytes changed, the old
// bytes are written back. The caller reads the file back to know whether that
// worked. `file` is open for reading and writing, unbuffered.
Status<> rewrite_in_place(QFile& file, std::string_view old_bytes, std::string_view new_bytes);

// Every byte of the regular file at `path` (a link not followed); empty when
// it cannot be read whole.
std::optional<QByteArray> read_whole_file(const QString& path);

// A file that does not exist yet in `folder`, named `stem` with the first free
// number, readable by the user alone, written with `bytes`; its path, or empty
// when it could not be made. A folder that is a link, or another user's
// (unless it is a shared temporary folder with the sticky bit), takes none.
QString write_new_file(const QString& folder, const QString& stem, std::string_view bytes);

} // namespace fee
