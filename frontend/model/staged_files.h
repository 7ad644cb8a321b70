#pragma once
// A puzzle's files put in place together. A puzzle is three files in two
// folders (N.puz and N.bmp in Data, the library entry in Bin/puzzle.ini),
// and no rename can replace three files at once; so each new file is first
// written whole beside its place, then a journal naming them all is put in
// place with one rename, and only then are they renamed into place and the
// files they make stale removed. A program killed before the journal leaves
// the old files as they were; one killed after it leaves a journal that the
// next start carries out to the end. Either way the puzzle file, its
// thumbnail and its library entry agree. (For a system install the two
// folders are the user's own, beside each other in the user's data folder.)
//
// One writer at a time: a lock beside the library keeps a second Vorlin
// from reading the library while the first one is replacing it, and from
// taking the first one's staged files for leftovers.

#include "suite_folders.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>

class StagedFiles {
public:
    explicit StagedFiles(const SuiteFolders& folders);
    // Staged files that were never committed are removed.
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // Waits a little for another writer; false (error() says so) when the
    // lock cannot be had.
    bool lock();
    // `bytes` to be put at `target`, written and flushed now. `what` names
    // the file in a failure ("puzzle file").
    bool stage(const QString& target, const QByteArray& bytes, const QString& what);
    // A file that goes when the staged files go in place; one that is not
    // there is no error, and one that is a staged target is kept.
    void removeWith(const QString& path);
    // The journal, then every staged file in place in the order staged, after
    // the removals. False when it could not be done; if the journal was
    // already in place, the next start finishes the work.
    bool commit();
    const QString& error() const { return error_; }

    // At start, before the library is read: carries out a journal a killed
    // writer left, or removes the staged files of one killed before its
    // journal. Does nothing while another writer holds the lock.
    static void finishInterrupted(const SuiteFolders& folders);

private:
    bool fail(const QString& why);

    SuiteFolders folders_;
    std::unique_ptr<QLockFile> lock_;
    QStringList put_;
    QStringList remove_;
    bool committed_ = false;
    QString error_;
};
