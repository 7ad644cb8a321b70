#include "recent_files.h"

#include "profile.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Recent File List");
QString keyFor(int i) { return QStringLiteral("File%1").arg(i + 1); }
} // namespace

RecentFileList::RecentFileList(QString profilePath, int size)
    : profilePath_(std::move(profilePath)), size_(size)
{
}

void RecentFileList::load()
{
    files_.clear();
    for (int i = 0; i < size_; ++i) {
        const QString f = profile::readString(profilePath_, kSection, keyFor(i), QString(), 260);
        if (!f.isEmpty())
            files_ << f;
    }
}

void RecentFileList::add(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    const QStringList before = files_;
    files_.removeAll(full);
    files_.prepend(full);
    while (files_.size() > size_)
        files_.removeLast();
    // Opening the puzzle that is first already is the usual start; its
    // synced write of the profile would stand between the user and the
    // puzzle for nothing.
    if (files_ != before)
        save();
}

void RecentFileList::save() const
{
    QDir().mkpath(QFileInfo(profilePath_).absolutePath());
    for (int i = 0; i < size_; ++i) {
        if (i < files_.size())
            profile::writeString(profilePath_, kSection, keyFor(i), files_[i]);
        else
            profile::deleteKey(profilePath_, kSection, keyFor(i));
    }
}
