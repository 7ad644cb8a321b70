#pragma once
// A self-extracting shell archive made with makeself: the package a puzzle
// travels in. The members follow the archive control the front end was first
// written against, so the packing steps read the same: set the stub, the
// output file and the file list, then CreateArchive, whose result code is a
// failure from 100 up.
//
// Every file of the list lands in the archive under its own base name, next
// to the start-up script (the stub module) that the archive runs after it
// unpacks. The archive is written under a temporary name beside the output
// file and renamed into place, so a failed build never leaves a package.
//
// The title, the start-up script's $PACKAGE_NAME and every path makeself
// records reach the package's shell header only as quoted text, so a
// puzzle name holding "$( )", quotes or "%" is shown, never run. Before a
// package takes its name its header must parse (sh -n) and it must pass its
// own check.

#include <QString>
#include <QStringList>

class SelfExtractingArchive {
public:
    // Result codes of CreateArchive.
    enum Result {
        Success = 0,
        NoFiles = 100,          // the file list is empty
        FileMissing = 101,      // a listed file or the stub module cannot be read
        NameClash = 102,        // two listed files share a base name
        StagingFailed = 103,    // the files could not be gathered for makeself
        NoMakeself = 104,       // makeself is not installed
        MakeselfFailed = 105,   // makeself ran and failed (a full disk, ...)
        OutputFailed = 106,     // the package could not be put in place
    };
    // Flags of the stub, by the index the packing steps use.
    enum StubFlag {
        OpenTerminal = 3,       // open a terminal window when started without one
        WaitAfterRun = 4,       // keep that window until a key is pressed
    };

    // A shell archive has no icon; what the receiver sees of it is the
    // title it prints while it unpacks. Control characters become blanks.
    void SetStubIcon(const QString& title) { title_ = title; }
    void SetStubFlag(short index, bool on);
    void SetOutputFile(const QString& path) { output_ = path; }
    // One full path per line; CR LF or LF between lines.
    void SetFileList(const QString& list);
    // The start-up script the package runs once unpacked.
    void SetStubModule(const QString& path) { stub_ = path; }
    // Text the start-up script finds in $PACKAGE_NAME (the puzzle's name: it
    // picks the receiver's folder).
    void SetPackageName(const QString& name) { packageName_ = name; }
    // One plain word the start-up script gets as its first argument; the
    // header records it, so a built package tells what it holds. Letters only.
    void SetScriptArgument(const QString& word) { scriptArgument_ = word; }
    // Off for files that are compressed already: gzip would only cost time.
    void SetCompressed(bool on) { compressed_ = on; }

    short CreateArchive(short options = 0);

    // Why the last CreateArchive failed, in a sentence; empty after success.
    const QString& lastError() const { return error_; }

    // The path of makeself on PATH, or empty when it is not installed.
    static QString findMakeself();
    // The start-up script's name inside the package.
    static QString stubName() { return QStringLiteral("package_start.sh"); }
    // The shell header of a built package: the lines before its payload.
    static QByteArray headerOf(const QString& package);

private:
    short fail(Result code, const QString& why);

    QString title_;
    bool openTerminal_ = true;
    bool waitAfterRun_ = true;
    QString output_;
    QStringList files_;
    QString stub_;
    QString packageName_;
    QString scriptArgument_;
    bool compressed_ = true;
    QString error_;
};

namespace package_files {

// Copies `from` to a new file `to`; 0, or the errno of the step that failed
// (the half-written copy is removed).
int copyFile(const QString& from, const QString& to);
// Writes `bytes` to a new file `path`; 0 or the errno, as copyFile.
int writeFile(const QString& path, const QByteArray& bytes);

} // namespace package_files
