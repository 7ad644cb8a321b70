#include "archive.h"

#include <QIODevice>

#include <cstring>

ArchiveWriter::ArchiveWriter(QIODevice* device) : device_(device) {}

ArchiveWriter::~ArchiveWriter() { flush(); }

void ArchiveWriter::writeBlock(const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        if (used_ == kBufferSize)
            flush();
        const size_t n = std::min(size, size_t(kBufferSize - used_));
        std::memcpy(buffer_ + used_, p, n);
        used_ += int(n);
        p += n;
        size -= n;
    }
}

void ArchiveWriter::writeByte(uint8_t v) { writeBlock(&v, 1); }

void ArchiveWriter::writeUInt16(uint16_t v)
{
    const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    writeBlock(b, 2);
}

void ArchiveWriter::writeUInt32(uint32_t v)
{
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    writeBlock(b, 4);
}

void ArchiveWriter::writeInt32(int32_t v) { writeUInt32(uint32_t(v)); }

void ArchiveWriter::writeCount(uint32_t count)
{
    if (count < archive_tag::kBigCount) {
        writeUInt16(uint16_t(count));
    } else {
        writeUInt16(archive_tag::kBigCount);
        writeUInt32(count);
    }
}

void ArchiveWriter::writeObjectTag(bool firstOfClass, uint16_t schema, const QByteArray& className)
{
    if (!firstOfClass) {
        writeUInt16(archive_tag::kClassIndex1);
        return;
    }
    writeUInt16(archive_tag::kNewClass);
    writeUInt16(schema);
    writeUInt16(uint16_t(className.size()));
    writeBlock(className);
}

bool ArchiveWriter::flush()
{
    if (used_ > 0 && device_) {
        if (device_->write(buffer_, used_) != used_)
            ok_ = false;
    }
    used_ = 0;
    return ok_;
}

void ArchiveReader::need(size_t n) const
{
    if (n > size_ - pos_)
        throw ArchiveError("unexpected end of file");
}

uint8_t ArchiveReader::readByte()
{
    need(1);
    return uint8_t(data_[pos_++]);
}

uint16_t ArchiveReader::readUInt16()
{
    need(2);
    const auto* p = reinterpret_cast<const uint8_t*>(data_ + pos_);
    pos_ += 2;
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t ArchiveReader::readUInt32()
{
    need(4);
    const auto* p = reinterpret_cast<const uint8_t*>(data_ + pos_);
    pos_ += 4;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

int32_t ArchiveReader::readInt32() { return int32_t(readUInt32()); }

QByteArray ArchiveReader::readBlock(size_t size)
{
    need(size);
    QByteArray out(data_ + pos_, qsizetype(size));
    pos_ += size;
    return out;
}

size_t ArchiveReader::skipBlock(size_t size)
{
    need(size);
    const size_t at = pos_;
    pos_ += size;
    return at;
}

uint32_t ArchiveReader::readCount()
{
    const uint16_t small = readUInt16();
    return small == archive_tag::kBigCount ? readUInt32() : small;
}

void ArchiveReader::readObjectTag(bool firstOfClass, uint16_t schema, const QByteArray& className)
{
    const uint16_t tag = readUInt16();
    if (!firstOfClass) {
        if (tag != archive_tag::kClassIndex1)
            throw ArchiveError("unexpected object tag");
        return;
    }
    if (tag != archive_tag::kNewClass)
        throw ArchiveError("unexpected object tag");
    if (readUInt16() != schema)
        throw ArchiveError("unsupported schema");
    const uint16_t len = readUInt16();
    if (readBlock(len) != className)
        throw ArchiveError("unexpected class");
}
