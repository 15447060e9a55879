#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace aql::platform {

// A file read from its start. Every failure is AqlError 75 naming the file and the system's
// reason.
class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;

    virtual std::uint64_t size() = 0;

    // Up to `length` bytes from `offset` into `buffer`; fewer only where the file ends.
    virtual std::size_t read(std::uint64_t offset, char *buffer, std::size_t length) = 0;
};

// A file that only grows at its end, except that a damaged end can be cut off.
class ArchiveFile : public ArchiveReader {
public:
    // All of `bytes` at the end of the file. When it throws, any first part of them may be there
    // (or, after a power cut, zeros in their place).
    virtual void append(std::string_view bytes) = 0;

    // Returns once everything appended so far is on the disk.
    virtual void flush() = 0;

    // Cuts the file to `size` bytes (a larger size changes nothing) and makes the cut durable.
    virtual void truncate(std::uint64_t size) = 0;
};

// Held for as long as it lives. A process that ends without releasing it (a crash, a kill, a
// power cut) leaves no lock behind, whatever it leaves in the lock file.
class ArchiveLock {
public:
    virtual ~ArchiveLock() = default;
};

struct LockAttempt {
    std::unique_ptr<ArchiveLock> lock; // null when another holder has it
    std::string holder; // who holds it, as far as the lock file says; empty when it does not
};

// The file access of a log archive: one writer at a time, chosen by a lock file beside it.
class ArchiveStorage {
public:
    virtual ~ArchiveStorage() = default;

    // Takes the lock file at `path` (made when missing) without waiting. The taker's identity
    // (user, computer, process, time) goes into the file for the next one who is refused.
    // AqlError 75 when the file cannot be made or locked for any reason but another holder.
    virtual LockAttempt tryLock(const std::filesystem::path &path) = 0;

    // Opens `path` to read and append, making an empty file when it is missing (its folder entry
    // then made durable too). AqlError 75 on failure.
    virtual std::unique_ptr<ArchiveFile> openForAppending(const std::filesystem::path &path) = 0;

    // Opens `path` to read only; null when there is no such file, AqlError 75 on any other
    // failure.
    virtual std::unique_ptr<ArchiveReader> openForReading(const std::filesystem::path &path) = 0;
};

} // namespace aql::platform
