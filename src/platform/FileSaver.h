#pragma once

#include "core/Error.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace aql::platform {

// What a path names once symbolic links are followed. "-" stands for standard output.
enum class TargetKind {
    Missing,
    Regular,
    Directory,
    NotRegular, // device, named pipe, socket: written straight into, never replaced
    StandardOutput,
};

// One whole file being written. write() appends; commit() makes it the target's content.
// Destroying a sink that was not committed discards what was written and leaves a regular target
// as it was; a device or pipe has already received whatever went out before.
class FileSink {
public:
    virtual ~FileSink() = default;
    virtual void write(std::string_view bytes) = 0; // throws AqlError 75 on failure
    virtual void commit() = 0;                      // throws AqlError 75 on failure
};

// Writes whole files so that an existing one is either replaced by the complete new content or
// left exactly as it was.
class FileSaver {
public:
    virtual ~FileSaver() = default;

    virtual TargetKind kindOf(const std::filesystem::path &target) const = 0;

    // Without changing anything: nullopt when `target` can be written, else why not in plain
    // words, so that a long download can be refused before it starts.
    virtual std::optional<std::string>
    whyNotWritable(const std::filesystem::path &target) const = 0;

    // Throws AqlError 75 naming the target and the reason.
    virtual std::unique_ptr<FileSink> open(const std::filesystem::path &target) = 0;

    // open + write + commit.
    void saveWhole(const std::filesystem::path &target, std::string_view bytes);
};

// True when the two paths name the same existing file however they are spelled (relative or
// absolute, through "..", a symbolic link or a hard link); "-" and "-" are both standard output.
bool sameFile(const std::filesystem::path &a, const std::filesystem::path &b);

// The error every saver raises: AqlError 75, "Could not write <target>: <reason>".
AqlError saveError(const std::filesystem::path &target, std::string_view reason);

// The system's text for an error number, starting in lower case ("no space left on device").
std::string systemReason(int errorNumber);

} // namespace aql::platform
