#include "core/storage/safe_save.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <optional>

#include "core/text/message_text.h"

namespace fee {
namespace {

std::string_view as_view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Copies of what the file held and of what was to be saved, in the rescue
// folder or else the system's temporary folder; empty paths where they could
// not be written.
std::pair<QString, QString> rescue_copies(const QString& folder, const QString& stem, std::string_view before,
                                          std::string_view unsaved)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    std::pair<QString, QString> written;
    for (const QString& where : {folder, QDir::tempPath()}) {
        if (where.isEmpty())
            continue;
        if (written.first.isEmpty())
            written.first = write_new_file(where, QStringLiteral("%1-%2-before").arg(stem, stamp), before);
        if (written.second.isEmpty())
            written.second = write_new_file(where, QStringLiteral("%1-%2-unsaved").arg(stem, stamp), unsaved);
    }
    return written;
}

// The message of a failed save, true to what the file holds now: it is read
// back before the message says that nothing changed.
Error save_failure(const QString& path, const std::string& reason, const std::optional<QByteArray>& before,
                   std::string_view unsaved, const SaveOptions& options)
{
    // A reason that is a whole sentence says what to do itself.
    const bool whole = reason.ends_with("。");
    const QString& shown = options.shown_name.isEmpty() ? path : options.shown_name;
    const std::string failed =
        shown.toStdString() + " に保存できませんでした: " + reason + (whole ? "\n" : "。\n");
    const std::string check =
        whole ? "" : "ディスクの空きと、フォルダーとファイルの書き込みの権限を確かめて下さい。";
    if (!before)
        return Error{failed + check};
    if (read_whole_file(path) == before)
        return Error{failed + kOldContentKept + check};
    const auto [old_copy, new_copy] =
        rescue_copies(options.rescue_folder, options.rescue_stem, as_view(*before), unsaved);
    std::string rescued = shown.toStdString() + " を元の内容に戻せませんでした。";
    if (!old_copy.isEmpty())
        rescued += "元の内容の写しを " + old_copy.toStdString() + " に書き出しました。";
    if (!new_copy.isEmpty())
        rescued += "保存しようとした内容を " + new_copy.toStdString() + " に書き出しました。";
    if (old_copy.isEmpty() || new_copy.isEmpty())
        rescued += "写しを書き出せなかった分は、このプログラムを閉じると失われます。";
    return Error{failed + rescued + check + "それから、もう一度保存して下さい。"};
}

} // namespace

Status<> save_bytes(const QString& path, std::string_view content, const SaveOptions& options)
{
    const std::optional<QByteArray> before = read_whole_file(path);
    const auto replaced = replace_file(
        path, [content](QIODevice& file) { return write_bytes(file, content); }, options.hooks);
    if (replaced)
        return done();
    std::string reason = replaced.error().reason;
    // Where no new file can take the old one's place but the file itself may
    // be written, write it in place: the only way the edits reach it at all.
    if (replaced.error().in_place && before) {
        const auto fd = open_for_rewrite(path);
        QFile file;
        if (!fd)
            reason = fd.error().message;
        else if (!file.open(fd->get(), QIODevice::ReadWrite | QIODevice::Unbuffered,
                            QFileDevice::DontCloseHandle))
            reason = "書き込み用に開けません（" + system_reason(file.errorString()) + "）";
        else if (const auto rewritten = rewrite_in_place(file, as_view(*before), content); rewritten)
            return done();
        else
            reason = rewritten.error().message;
    }
    return save_failure(path, reason, before, content, options);
}

} // namespace fee
