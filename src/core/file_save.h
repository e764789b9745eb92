#pragma once

#include <QString>
#include <string_view>

#include "core/outcome.h"

class QIODevice;

namespace fee {

// Writes `bytes` to an open device; a short or failed write is an error that
// gives the system's reason.
Status<> write_bytes(QIODevice& device, std::string_view bytes);

// Replaces the file at `path` with `bytes` through QSaveFile: either the whole
// new content is in place, or the old file is untouched and the error says
// which step failed and why ("書き込み用に開けません（権限がありません）").
// With `in_place_fallback`, a folder that refuses the temporary file but whose
// file may be written gets the file rewritten in place instead.
Status<> save_file(const QString& path, std::string_view bytes, bool in_place_fallback);

} // namespace fee
