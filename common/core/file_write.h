#pragma once
// Writing files so that a failure or a kill never leaves half of one, and
// saying in words what went wrong. Whole files go to a new file beside
// their target, are flushed to the disk and renamed over it; every failure
// keeps errno, so the user reads "the disk is full" instead of a guess.
//
// For tests: with SUITE_TEST_KILL_AFTER_STEP=N in the environment the
// process kills itself (SIGKILL) right after the Nth step that changes the
// disk here (a create, a write, a flush, a rename or a removal), so a test
// can stop a program at every point of its writes, one run per point.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace file_write {

// Words for errno after a failed write: "the disk is full" for ENOSPC,
// "permission denied; is its folder writable?" for EACCES, ...
QString reason(int error);
// "Cannot write the puzzle file "/x/Cat.puz": the disk is full."
QString failure(const QString& what, const QString& path, int error);

// The file a write of `path` changes: a symbolic link is followed to the
// file it names (through at most 40 links), so the link itself stays.
// Empty when the chain does not end in a name (a loop).
QString finalTarget(const QString& path);

// The name a write of `target` is staged under, beside it.
QString stagingName(const QString& target);

// Writes `bytes` to a new file `temp`, flushed to the disk. An old file of
// that name is removed first and never followed as a link. The new file
// gets `modeOf`'s permissions when that file exists, else the usual ones.
bool stage(const QString& temp, QByteArrayView bytes, const QString& modeOf, int* error);
// Renames `from` over `to` and flushes the folder.
bool rename(const QString& from, const QString& to, int* error);
// Removes a file; one that is not there is no error.
bool remove(const QString& path, int* error);

// The whole file replaced at once: staged beside the file a link names and
// renamed over it. On failure the old file is whole and nothing is left.
bool replace(const QString& path, QByteArrayView bytes, int* error);

// Written over in place and cut to length, without a flush: for a scratch
// file whose old content nobody needs. A link in its place is refused (ELOOP).
bool overwrite(const QString& path, QByteArrayView bytes, int* error);

} // namespace file_write
