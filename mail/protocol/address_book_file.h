#pragma once
// The address book file "Vudirade.ini": section [BookMark] with one address
// per key MailAdd0, MailAdd1, ... It is read once and written once per
// dialog, and everything outside its own section is kept byte for byte.

#include <QString>
#include <QStringList>

namespace addressbook {

// Larger than any address book; such a file is left alone.
constexpr qint64 kMaxBookBytes = 16 * 1024 * 1024;

struct Book {
    QStringList entries;
    // The file exists but is over kMaxBookBytes or cannot be read: it must
    // not be replaced by what the dialog shows.
    bool untouchable = false;
    bool tooLarge = false;
};

// The book file in the user's configuration folder.
QString filePath();

// Entries MailAdd0, MailAdd1, ... up to the first that is missing, empty or
// "NULL", each whole however long. A missing file is an empty book.
Book load(const QString& file);

// Replaces the [BookMark] section with these entries, in order, at the end
// of the file; every other byte of the file stays. False when the file could
// not be read whole first (it is then left as it is) or not be written;
// `error` then says why in words ("the disk is full").
bool save(const QString& file, const QStringList& entries, QString* error = nullptr);

} // namespace addressbook
