#pragma once
// "puzzle.ini": the list of puzzles made, one numbered section per puzzle
// under a header with their count.
//
//   [Puzzle]            Puzzle_Count=N
//   [Puzzle1] ...       Name=<name>  Size=<columns> <rows>
//
// Section, key and puzzle names match without regard to case. Whatever the
// file holds (a count far beyond its sections, lines without "=", binary
// bytes), every operation reads the file once and does work in proportion
// to the sections it really has.

#include <QString>

#include <vector>

namespace profile {
class Snapshot;
}

// One puzzle of the list as the load window shows it.
struct LibraryRecord {
    QString name;          // at most 14 characters, as read
    QString sizeText;      // "8X6" for 8 columns and 6 rows
    QString thumbnailPath; // data folder + name + ".bmp"
    bool operator==(const LibraryRecord&) const = default;
};

class LibraryFile {
public:
    // The list cannot number more entries than its 16-bit count holds.
    static constexpr int kMaxEntries = 32767;

    // A list of the most entries its count can number stays far below this;
    // a larger file is no library of ours and is neither read nor written.
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

    explicit LibraryFile(QString path);
    const QString& path() const { return path_; }

    // True when the file is missing (an empty library) or a regular file of
    // a library's size; a fifo, a folder or a huge file is not used at all.
    bool usable() const;

    // Empty when the library may be written; else the sentence that says
    // why not. Only a missing file, an empty one or one with a [Puzzle]
    // section is ever written: a library file that is really another file
    // (a link to /etc/passwd, say) is left alone. A link is written through,
    // and stays a link, only when it names a puzzle library.
    QString whyNotWritable() const;
    // The file a write changes: the library, or the library a link names.
    QString writeTarget() const;
    // What went wrong in the last write that returned false, in words.
    const QString& lastError() const { return error_; }

    // The number stored in the header; 0 for a missing or unreadable file.
    // A count that cannot be an entry number (negative, or past kMaxEntries)
    // is read as the highest entry the file really has.
    int count() const;

    // The number (1 ... count) of the first entry named `name`, or 0.
    int FindLibraryEntry(const QString& name) const;

    // Writes entry `index`, or appends one when index is 0 or past the
    // count. False when the file cannot be written or the list is full.
    bool WriteLibraryEntry(const QString& name, int index, int columns, int rows);

    // Replaces the whole file by these records, numbered from 1, their size
    // texts written back with a blank for their first "X". False when the
    // file cannot be written (the old one is then kept whole).
    bool RewriteLibrary(const std::vector<LibraryRecord>& records) const;

    // The list for the load window, in entry order. Names and sizes are read
    // 14 characters at most and the size's first blank becomes "X". Entries
    // past the last section the file really has are left out, so a damaged
    // count cannot fill the window with empty slots.
    std::vector<LibraryRecord> readList(const QString& dataFolder) const;

    // The Name of entry `index`, as the load window's rename writes it.
    bool renameEntry(int index, const QString& newName);

    // The whole file as WriteLibraryEntry would leave it, for a writer that
    // puts it in place together with other files. False (lastError says
    // why) when the library may not be written or the list is full.
    bool entryBytes(const QString& name, int index, int columns, int rows, QByteArray& out);
    // The same for the entry named `name` (FindLibraryEntry's), or a new
    // one: the file is read once for the search and the count.
    bool entryBytesFor(const QString& name, int columns, int rows, QByteArray& out);

    // The exact text RewriteLibrary writes.
    static QByteArray layout(const std::vector<LibraryRecord>& records);

private:
    bool refuse(const QString& why) const;
    bool entryBytesIn(const profile::Snapshot& file, const QString& name, int index, int columns, int rows,
                      QByteArray& out);

    QString path_;
    mutable QString error_;
};
