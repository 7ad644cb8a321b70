#pragma once
// A throw-away install tree (Bin/ and Data/) and a MakerUi that answers
// from a script, for the front end's model tests.

#include "maker_ui.h"
#include "suite_folders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <vector>

// What a program run to its end said and returned (-1: it did not end in
// time, -2: it crashed).
struct Outcome {
    int code = -1;
    QString out, err;
};

inline Outcome runProgram(const QString& program, const QStringList& args,
                          const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                          const QString& folder = QString())
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

struct SuiteTree {
    QTemporaryDir dir;
    SuiteFolders folders;
    SuiteTree()
    {
        folders = SuiteFolders::fromProgramPath(dir.filePath(QStringLiteral("Bin/Vorlin")));
        QDir().mkpath(folders.program);
        QDir().mkpath(folders.data);
    }
    QString data(const QString& file) const { return folders.data + file; }
    bool exists(const QString& file) const { return QFile::exists(data(file)); }
    QStringList dataFiles() const { return QDir(folders.data).entryList(QDir::Files, QDir::Name); }
};

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void putFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

class ScriptedUi : public MakerUi {
public:
    bool overwrite = true;
    bool customOk = true;
    int customRows = 7, customColumns = 10, customCell = 64;
    int overwriteAsked = 0;
    int range = -1, position = 0, ends = 0;

    bool chooseCustomLevel(int, int, int& rows, int& columns, int& cell) override
    {
        rows = customRows;
        columns = customColumns;
        cell = customCell;
        return customOk;
    }
    bool confirmOverwrite() override
    {
        ++overwriteAsked;
        return overwrite;
    }
    void progressStart(int r) override
    {
        range = r;
        position = 0;
    }
    void progressAdvance(int by) override { position += by; }
    void progressEnd() override { ++ends; }
};
