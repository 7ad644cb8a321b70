#pragma once
// Reading a whole file that may have been handed to us by anyone. Only a
// regular file is read (a device, a FIFO or a socket could be endless or
// block forever), and never more than a bound the caller chooses.

#include <QByteArray>
#include <QString>

namespace file_read {

enum class Result {
    Ok,
    Missing,    // no such file
    NotRegular, // a folder, device, FIFO or socket
    TooLarge,   // more bytes than the bound
    Failed,     // it exists but could not be opened or read
};

// Reads the file at `path` into `out` when it is a regular file of at most
// `maxBytes` bytes. `error` (when given) gets a short reason in English.
Result readWhole(const QString& path, qint64 maxBytes, QByteArray& out, QString* error = nullptr);
// Reads at most the first `maxBytes` bytes of a regular file into `out`: a
// longer file is no error, its rest is never read.
Result readStart(const QString& path, qint64 maxBytes, QByteArray& out, QString* error = nullptr);

} // namespace file_read
