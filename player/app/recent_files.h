#pragma once
// The list of recently opened puzzles, kept in the program's own profile file
// the way the desktop framework keeps it ("[Recent File List]", File1..FileN).

#include <QString>
#include <QStringList>

class RecentFileList {
public:
    RecentFileList(QString profilePath, int size);
    void load();
    // Puts the path first, dropping an older entry of it and the oldest beyond the size.
    void add(const QString& path);
    const QStringList& files() const { return files_; }

private:
    void save() const;
    QString profilePath_;
    int size_;
    QStringList files_;
};
