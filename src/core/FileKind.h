#pragma once

#include <QString>

#include <optional>

// Something other than a regular file where a file is expected: opening a FIFO blocks for ever,
// a device or socket reads as nonsense, a folder as a puzzling error.
namespace FileKind {

// "PATH is a FIFO, not a file" (or a device, socket, folder); nothing for a regular file or
// for nothing at all. Follows symbolic links.
std::optional<QString> notAFile(const QString &path);

} // namespace FileKind
