#pragma once
// Which shared libraries a program loads, as the dynamic loader finds them on
// this computer, and which of them travel with the player to a computer that
// has no Qt. What stays behind is listed once, in runtime_libraries.cpp, each
// with its reason.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace runtime_libraries {

struct Library {
    QString soname; // the name programs ask for (libQt6Core.so.6)
    QString path;   // where this computer has it, links followed
};

// Why a library is left to the receiver's own system, or empty when it
// travels with the player.
QString whyNotBundled(const QString& soname);
// Every library the receiver's system must have, with its reason, one a line.
QStringList neverBundledList();

// The libraries `roots` (programs or plugins) load, following only those
// that travel: a library the receiver's system brings comes with its own
// dependencies. Sorted by name. False with a sentence in `error` when a
// library cannot be found here or a tool fails.
bool bundled(const QStringList& roots, std::vector<Library>& out, QString& error);

// What ldd makes of `file`: soname -> path, or "" for one not found. False
// when ldd cannot read it; `dynamic` false for a file that loads nothing (a
// script, a static program).
bool lddMap(const QString& file, std::map<QString, QString>& out, bool& dynamic, QString& error);

// Runs a tool in the C locale without the caller's LD_LIBRARY_PATH, with
// `extra` added to its environment; its standard output in `out`. False with
// what it said in `error`.
bool runTool(const QString& program, const QStringList& args, QByteArray& out, QString& error,
             const QProcessEnvironment& extra = QProcessEnvironment());

// The sonames `files` name as NEEDED (objdump -p), in one list.
bool neededBy(const QStringList& files, QStringList& out, QString& error);

// True for an ELF file (a program or library rather than a script).
bool isElf(const QString& path);

} // namespace runtime_libraries
