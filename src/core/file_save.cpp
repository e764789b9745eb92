#include "core/file_save.h"

#include <QSaveFile>

#include "core/message_text.h"

namespace fee {

Status<> write_bytes(QIODevice& device, std::string_view bytes)
{
    const auto size = static_cast<qint64>(bytes.size());
    if (device.write(bytes.data(), size) != size)
        return Error{"書き込みに失敗しました（" + system_reason(device.errorString()) + "）"};
    return done();
}

Status<> save_file(const QString& path, std::string_view bytes, bool in_place_fallback)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(in_place_fallback);
    if (!file.open(QIODevice::WriteOnly))
        return Error{"書き込み用に開けません（" + system_reason(file.errorString()) + "）"};
    if (auto written = write_bytes(file, bytes); !written) {
        file.cancelWriting();
        return written;
    }
    // The system's words for the failure, taken before cancelWriting() puts its
    // own in their place.
    if (!file.flush()) {
        Error why{"書き込みに失敗しました（" + system_reason(file.errorString()) + "）"};
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return Error{"書き終えたファイルを確定できませんでした（" + system_reason(file.errorString()) + "）"};
    return done();
}

} // namespace fee
