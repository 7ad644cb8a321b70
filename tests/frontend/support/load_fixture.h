#pragma once
// A library of puzzles made by code: puzzle.ini entries with the files the
// load window looks for (the puzzle file's bytes do not matter to it).

#include "frontend_fixture.h"
#include "library_file.h"

#include <QImage>

struct LoadTree : SuiteTree {
    QString library() const { return folders.libraryFile; }

    // Entry files: N.puz and N.bmp (a 40 x 30 thumbnail), and N0.sav, NPuz.run when asked.
    void addFiles(const QString& name, bool thumbnail = true, bool extras = false) const
    {
        putFile(data(name + QStringLiteral(".puz")), "puzzle " + name.toUtf8());
        if (thumbnail) {
            QImage t(40, 30, QImage::Format_RGB32);
            t.fill(Qt::darkGreen);
            t.save(data(name + QStringLiteral(".bmp")), "BMP");
        }
        if (extras) {
            putFile(data(name + QStringLiteral("0.sav")), "saved");
            putFile(data(name + QStringLiteral("Puz.run")), "package");
        }
    }
    // Puzzles P1 ... Pn of size 4X3, with their files.
    void makeLibrary(int n) const
    {
        std::vector<LibraryRecord> records;
        for (int i = 1; i <= n; ++i) {
            const QString name = QStringLiteral("P%1").arg(i);
            addFiles(name);
            records.push_back({name, QStringLiteral("4X3"), data(name + QStringLiteral(".bmp"))});
        }
        LibraryFile(library()).RewriteLibrary(records);
    }
    QByteArray libraryBytes() const { return fileBytes(library()); }
};
