#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/outcome.h"

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
// `path`: beside its target, the target's name, a dot and six letters or
// digits. Anything else is not the program's to remove.
bool is_new_file_of_save(const QString& candidate, const QString& path);

// Writes `bytes` to an open device; a short or failed write is an error that
// gives the system's reason.
Status<> write_bytes(QIODevice& device, std::string_view bytes);

// Why a replacement failed, and whether the folder refused the new file at
// all, in which case nothing was written anywhere.
struct ReplaceError {
    std::string reason; // "書き込み用に開けません（権限がありません）"
    bool folder_refused = false;
};

// Replaces the file at `path` (its save_target()) by a new one
// written in full beside it and renamed over it once it is on disk: the file
// holds either the old or the new content, never a mixture. `write` fills the
// new file. `announce` is told the new file's name before it exists, so that a
// save cut off by a kill can be found and removed by the next writer. The new
// file takes the old one's permissions.
Outcome<Done, ReplaceError> replace_file(const QString& path,
                                         const std::function<Status<>(QIODevice&)>& write,
                                         const std::function<void(const QString&)>& announce = {});

// Rewrites an open file in place, for a folder that takes no new file: the
// file first grows to the new size, so that a full disk or a size limit fails
// before any old byte changes; then the new bytes go over the old; then the
// file is cut to length. When a step fails after old bytes changed, the old
// bytes are written back. The caller reads the file back to know whether that
// worked. `file` is open for reading and writing, unbuffered.
Status<> rewrite_in_place(QFile& file, std::string_view old_bytes, std::string_view new_bytes);

// Every byte of the file at `path`; empty when it cannot be read whole.
std::optional<QByteArray> read_whole_file(const QString& path);

// A file that does not exist yet in `folder`, named `stem` with the first free
// number, written with `bytes`; its path, or empty when it could not be made.
QString write_new_file(const QString& folder, const QString& stem, std::string_view bytes);

} // namespace fee
