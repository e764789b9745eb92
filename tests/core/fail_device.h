#pragma once

#include <QBuffer>
#include <QByteArray>

namespace fee::test {

// A device that takes `capacity` bytes and then fails every write, as a full
// disk does: what fits is kept, the rest is refused with an error string.
class FailDevice : public QBuffer {
public:
    explicit FailDevice(qint64 capacity) : capacity_(capacity) { open(QIODevice::WriteOnly); }

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        const qint64 room = capacity_ - size();
        if (room >= len)
            return QBuffer::writeData(data, len);
        setErrorString(QStringLiteral("No space left on device"));
        return room > 0 ? QBuffer::writeData(data, room) : -1;
    }

private:
    qint64 capacity_;
};

} // namespace fee::test
