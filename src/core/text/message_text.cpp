#include "core/text/message_text.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <utility>

namespace fee {
namespace {

constexpr qsizetype kMaxShown = 40;

QString hex(char32_t c, int digits)
{
    return QString::number(c, 16).toUpper().rightJustified(digits, u'0');
}

// The escape for a character that cannot be shown as itself, or an empty text.
QString escape(char32_t c)
{
    switch (c) {
    case 0:
        return QStringLiteral("\\0");
    case u'\t':
        return QStringLiteral("\\t");
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    switch (QChar::category(c)) {
    case QChar::Other_Control:
        return QStringLiteral("\\x") + hex(c, 2);
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return QStringLiteral("\\u") + hex(c, 4);
    default:
        return {};
    }
}

} // namespace

QString quoted_text(QStringView text)
{
    QString out;
    qsizetype shown = 0;
    for (qsizetype i = 0; i < text.size();) {
        // A surrogate pair is one character and is never cut in half.
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const QString escaped = escape(c);
        const qsizetype width = escaped.isEmpty() ? 1 : escaped.size();
        if (shown + width > kMaxShown)
            return out + QStringLiteral("…");
        out += escaped.isEmpty() ? text.sliced(i, units).toString() : escaped;
        shown += width;
        i += units;
    }
    return out;
}

std::string in_brackets(QStringView text)
{
    return "「" + quoted_utf8(text) + "」";
}

namespace {

// The reasons a user meets, in Japanese; the rest keep the system's words.
const std::pair<int, const char*> kReasons[] = {
    {EACCES, "権限がありません"},
    {EPERM, "権限がありません"},
    {EROFS, "読み取り専用の場所です"},
    {ENOSPC, "ディスクに空きがありません"},
    {EDQUOT, "ディスクの使用量の上限を超えています"},
    {EFBIG, "ファイルの大きさの上限を超えています"},
    {ENOENT, "ファイルかフォルダーがありません"},
    {ENOTDIR, "途中の名前がフォルダーではありません"},
    {EISDIR, "フォルダーです"},
    {EIO, "装置の読み書きに失敗しました"},
    {EBUSY, "ほかで使われています"},
    {ENAMETOOLONG, "名前が長すぎます"},
};

// Qt words a few errors itself, through its own translations, and the rest
// with strerror().
QString qt_words(int code)
{
    const char* english = code == EACCES   ? "Permission denied"
                          : code == ENOENT ? "No such file or directory"
                          : code == ENOSPC ? "No space left on device"
                                           : nullptr;
    return english ? QCoreApplication::translate("QIODevice", english) : QString();
}

} // namespace

std::string system_reason(const QString& words)
{
    for (const auto& [code, japanese] : kReasons) {
        const QString qt = qt_words(code);
        if (words.contains(QString::fromLocal8Bit(std::strerror(code)), Qt::CaseInsensitive) ||
            (!qt.isEmpty() && words.contains(qt, Qt::CaseInsensitive)))
            return japanese;
    }
    return words.isEmpty() ? std::string("原因不明") : words.toStdString();
}

std::string errno_reason(int code)
{
    for (const auto& [known, japanese] : kReasons)
        if (known == code)
            return japanese;
    return QString::fromLocal8Bit(std::strerror(code)).toStdString();
}

std::string quoted_utf8(QStringView text)
{
    return quoted_text(text).toStdString();
}

} // namespace fee
