#pragma once
// Folders the programs find their side files in. Folder names always end in "/".

#include <QString>

namespace paths {
// The folder of the running program.
QString programFolder();
// The folder of the shared object (or program) that holds the given address.
QString moduleFolder(const void* addressInModule);
// The folder above a folder: "/a/b/Bin/" gives "/a/b/".
QString parentFolder(const QString& folder);
// "/a/b/c.puz" gives "/a/b/".
QString folderOf(const QString& path);
} // namespace paths
