#pragma once

#include <QString>
#include <string_view>

#include "core/outcome.h"
#include "core/storage/file_save.h"

namespace fee {

// What a failed save's message says only after reading the file back.
inline constexpr const char* kOldContentKept = "以前の内容はそのまま残っています。";

struct SaveOptions {
    // How whoever holds the file holds and records the save's new file.
    NewFileHooks hooks;
    // The name messages give the file, when not its real path.
    QString shown_name;
    // Where copies go when the file cannot be put back as it was; the
    // system's temporary folder when empty or unusable. They are named after
    // `rescue_stem`, a time stamp and "before" or "unsaved".
    QString rescue_folder;
    QString rescue_stem = QStringLiteral("compare");
};

// Saves `content` as the whole file at `path`: either all of it is in place,
// or the failure message says what the file holds now, which it has checked by
// reading the file back. Normally the content goes to a new file renamed over
// the old one; where that cannot keep what belongs to the file (a folder that
// takes no new file, another user's file, hard links), the file is rewritten
// in place (see rewrite_in_place). When the old content cannot be put back,
// copies of the old and of the new content are written to the rescue folder,
// and the message names both.
Status<> save_bytes(const QString& path, std::string_view content, const SaveOptions& options = {});

} // namespace fee
