#pragma once

#include "platform/ArchiveFile.h"

namespace aql::platform {

// Archive files on the local disk. On Linux and other Unix systems: plain file descriptors on the
// path's own bytes (a pool folder named in the single-byte code page is not valid UTF-8, and Qt
// cannot name such a file), appends with O_APPEND, fsync after every flush and cut, and an flock()
// on the lock file, which the system releases when the holder ends however it ends. On Windows:
// QFile, FlushFileBuffers, and QLockFile, which takes over a lock file whose process has ended.
class QtArchiveStorage : public ArchiveStorage {
public:
    LockAttempt tryLock(const std::filesystem::path &path) override;
    std::unique_ptr<ArchiveFile> openForAppending(const std::filesystem::path &path) override;
    std::unique_ptr<ArchiveReader> openForReading(const std::filesystem::path &path) override;
};

// Who this process is, as a lock file tells the next console: "<user> on <computer>, process
// <id>, since yyyy-mm-dd hh:mm:ss".
std::string archiveHolderIdentity();

} // namespace aql::platform
