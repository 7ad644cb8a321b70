#pragma once
// A full disk for a test: a child process gets a mount namespace of its own
// in which a folder is a small file system filled to its last byte. Root
// makes one outright; another user through a user namespace, where the
// system allows them.

#include <QString>

#include <functional>
#include <optional>

namespace testfiles {

// In a child process: `folder` becomes a small empty file system, `setup`
// puts in it what must be there before the disk is full, the disk is then
// filled, and `body` runs. Gives back what `body` returned; nothing when
// this machine allows no mount namespace (the test then skips). Only
// plain file work belongs in the callbacks: the child must not touch the
// test's windows or event loop.
std::optional<QString> onFullDisk(const QString& folder, const std::function<void()>& setup,
                                  const std::function<QString()>& body);

} // namespace testfiles
