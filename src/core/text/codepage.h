#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "core/outcome.h"

namespace fee {

// compare.dat is in Microsoft's code page 932. Names stay as the file's bytes;
// these functions only translate at the edges: bytes to a string to show, and a
// string the user typed to bytes to store.

// For showing: byte 0x5C is the yen sign in this code page, so it shows as "¥".
// A byte sequence that is not valid CP932 shows as U+FFFD; it is never repaired
// in the stored bytes.
QString decode_cp932(std::string_view bytes);

// A broker as messages name it: "2 社目「みなと証券」" for row 1, the name quoted
// by the one quoting rule.
std::string broker_label(int row, std::string_view name_bytes);

// The refusal of a name with a line break, which would split its line of the file.
inline constexpr const char kNameLineBreakRefusal[] = "名前に改行は使えません。1 行で入力して下さい。";

// For storing a typed name. "¥" becomes 0x5C, and the few characters that Linux
// input methods produce in place of their CP932 look-alikes (〜 for ～, − for －
// and so on) are mapped to them. Any other character outside the code page, and
// any line break, is refused with a message naming it.
Outcome<std::string> encode_typed_name(const QString& name);

} // namespace fee
