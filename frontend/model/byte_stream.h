#pragma once
// Bytes handed from one thread, which makes them, to another, which reads
// them as they come: an encoder's output decoded while it is still being
// written. Each side is a device of its own, used by its own thread only;
// the bytes between them are kept whole, so the writer never waits.

#include <QByteArray>
#include <QIODevice>

#include <condition_variable>
#include <memory>
#include <mutex>

class ByteStream {
public:
    void append(const char* data, qint64 size);
    // No more bytes will come; a reader waiting for them is let go.
    void close();
    // Copies up to `max` bytes from `at`, waiting until there are some or
    // the stream is closed; 0 at the end.
    qint64 readAt(qint64 at, char* out, qint64 max);
    // Whether there is nothing at or past `at` and nothing more will come;
    // waits while that is not yet known.
    bool endsAt(qint64 at);
    qint64 size();
    // Everything written; call once the writer has closed the stream.
    QByteArray take();

private:
    std::mutex mutex_;
    std::condition_variable more_;
    QByteArray bytes_;
    bool closed_ = false;
};

class ByteStreamWriter : public QIODevice {
public:
    explicit ByteStreamWriter(std::shared_ptr<ByteStream> stream);
    ~ByteStreamWriter() override;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    std::shared_ptr<ByteStream> stream_;
};

class ByteStreamReader : public QIODevice {
public:
    explicit ByteStreamReader(std::shared_ptr<ByteStream> stream);

    bool isSequential() const override { return true; }
    // Waits for the writer rather than taking a pause in its output for the end.
    bool atEnd() const override;
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 max) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::shared_ptr<ByteStream> stream_;
    qint64 read_ = 0; // bytes taken from the stream so far
};
