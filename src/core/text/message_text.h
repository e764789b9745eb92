#pragma once

#include <QString>
#include <QStringView>
#include <string>

namespace fee {

// The one rule for quoting a text that a user typed or a file held, in every
// message of the windows and the companion: at most 40 characters shown, then
// "…". A character that would not show, or would upset the message around it,
// is shown as an escape that counts with its length: "\0", "\t", "\n", "\r",
// "\x1B" for the other control characters, "\u202E" for format characters,
// line and paragraph separators and lone surrogates. A backslash stays as it
// is: in CP932 it is the yen sign of "\1,000".
QString quoted_text(QStringView text);

// The same, as UTF-8 for the core's messages.
std::string quoted_utf8(QStringView text);

// The same in the corner brackets every message quotes in: 「1.15%」.
std::string in_brackets(QStringView text);

// The system's reason for a failed file operation, from Qt's (English) words:
// in Japanese for the reasons a user meets, else the words as they are.
std::string system_reason(const QString& words);

// The same for a system error number (errno).
std::string errno_reason(int code);

} // namespace fee
