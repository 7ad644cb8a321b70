#pragma once
// The binary archive both programs' files are written in: little-endian raw
// words through a 4096-byte buffer, plus the object-list encoding that the
// puzzle file's piece list uses (a count, then a class tag before each object).
//
// Reading works on bytes already in memory and checks every length against
// what remains, so a bad file can never make us allocate more than its size.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <stdexcept>

class QIODevice;

// Thrown by ArchiveReader when the input is short or malformed; the codecs
// catch it and fail the open as a whole.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ArchiveWriter {
public:
    static constexpr int kBufferSize = 4096;
    explicit ArchiveWriter(QIODevice* device);
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    void writeByte(uint8_t v);
    void writeUInt16(uint16_t v);
    void writeInt32(int32_t v);
    void writeUInt32(uint32_t v);
    void writeBlock(const void* data, size_t size);
    void writeBlock(const QByteArray& bytes) { writeBlock(bytes.constData(), size_t(bytes.size())); }

    // Count of an object list (uint16, or 0xFFFF followed by a uint32).
    void writeCount(uint32_t count);
    // The class tag written before each object of a list: the first object of
    // a class carries its schema and name, later ones the class number 1.
    void writeObjectTag(bool firstOfClass, uint16_t schema, const QByteArray& className);

    // Writes what is buffered; false once any write to the device failed.
    bool flush();
    bool ok() const { return ok_; }

private:
    QIODevice* device_;
    char buffer_[kBufferSize];
    int used_ = 0;
    bool ok_ = true;
};

class ArchiveReader {
public:
    ArchiveReader(const char* data, size_t size) : data_(data), size_(size) {}
    explicit ArchiveReader(const QByteArray& bytes)
        : ArchiveReader(bytes.constData(), size_t(bytes.size())) {}

    size_t remaining() const { return size_ - pos_; }
    size_t position() const { return pos_; }
    bool atEnd() const { return pos_ == size_; }

    uint8_t readByte();
    uint16_t readUInt16();
    int32_t readInt32();
    uint32_t readUInt32();
    // A block of the given length; throws when fewer bytes remain.
    QByteArray readBlock(size_t size);
    // Passes over a block of the given length, throwing as readBlock does;
    // returns where it starts.
    size_t skipBlock(size_t size);

    uint32_t readCount();
    // Reads a class tag and checks that it names the expected class and
    // schema; the first object must introduce the class, later ones refer back.
    void readObjectTag(bool firstOfClass, uint16_t schema, const QByteArray& className);

private:
    void need(size_t n) const;
    const char* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Tag values of the object encoding.
namespace archive_tag {
constexpr uint16_t kNewClass = 0xFFFF;
constexpr uint16_t kClassIndex1 = 0x8001;
constexpr uint16_t kBigCount = 0xFFFF;
} // namespace archive_tag
