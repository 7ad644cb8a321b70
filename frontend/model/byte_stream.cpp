#include "byte_stream.h"

#include <algorithm>
#include <cstring>

void ByteStream::append(const char* data, qint64 size)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        bytes_.append(data, size);
    }
    more_.notify_all();
}

void ByteStream::close()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    more_.notify_all();
}

qint64 ByteStream::readAt(qint64 at, char* out, qint64 max)
{
    std::unique_lock<std::mutex> lock(mutex_);
    more_.wait(lock, [&] { return closed_ || bytes_.size() > at; });
    const qint64 n = std::min<qint64>(max, std::max<qint64>(0, bytes_.size() - at));
    if (n > 0)
        std::memcpy(out, bytes_.constData() + at, size_t(n));
    return n;
}

bool ByteStream::endsAt(qint64 at)
{
    std::unique_lock<std::mutex> lock(mutex_);
    more_.wait(lock, [&] { return closed_ || bytes_.size() > at; });
    return bytes_.size() <= at;
}

qint64 ByteStream::size()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return bytes_.size();
}

QByteArray ByteStream::take()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(bytes_, QByteArray());
}

ByteStreamWriter::ByteStreamWriter(std::shared_ptr<ByteStream> stream)
    : stream_(std::move(stream))
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

ByteStreamWriter::~ByteStreamWriter()
{
    // Whatever became of the writing, the reader is not left waiting.
    stream_->close();
}

qint64 ByteStreamWriter::writeData(const char* data, qint64 size)
{
    stream_->append(data, size);
    return size;
}

ByteStreamReader::ByteStreamReader(std::shared_ptr<ByteStream> stream)
    : stream_(std::move(stream))
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool ByteStreamReader::atEnd() const
{
    return QIODevice::bytesAvailable() == 0 && stream_->endsAt(read_);
}

qint64 ByteStreamReader::bytesAvailable() const
{
    return QIODevice::bytesAvailable() + std::max<qint64>(0, stream_->size() - read_);
}

qint64 ByteStreamReader::readData(char* data, qint64 max)
{
    const qint64 n = stream_->readAt(read_, data, max);
    read_ += n;
    return n;
}
