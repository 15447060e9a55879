#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace aql::config {

enum class FolderStatus {
    Created,        // made by this call
    AlreadyPresent, // was there before: nothing changed
    Failed,         // the file system refused it (missing parent, a file in the way, no access)
    RefusedName,    // the name could lead outside the Data folder, or is empty
    NotAttempted,   // a name above it was refused, so this level has no safe place
};

struct FolderStep {
    std::filesystem::path path; // empty when the name was refused or the step not attempted
    FolderStatus status = FolderStatus::NotAttempted;
};

// What happened at each level: Data, project, system, pool.
struct PoolFoldersResult {
    std::array<FolderStep, 4> steps;

    const FolderStep &data() const { return steps[0]; }
    const FolderStep &project() const { return steps[1]; }
    const FolderStep &system() const { return steps[2]; }
    const FolderStep &pool() const { return steps[3]; }
    // True when all four folders exist now (made by this call or before it).
    bool complete() const;
};

// True when `name` can stand as one folder level below Data: not empty, not made only of dots and
// blanks ("." and ".." included), and without "/", "\", ":" (drives, alternate streams) or
// control characters.
bool isSafeFolderName(std::string_view name);

// Creates programFolder/Data, then Data/projectName, then /systemName, then /poolName, one level
// at a time. A level the file system refuses is reported and the next one is still tried (it
// fails too when its parent is missing). A name that is not a safe folder name leaves its level
// and every level below uncreated. Never creates programFolder itself, and never creates anything
// outside programFolder/Data.
PoolFoldersResult makePoolFolders(const std::filesystem::path &programFolder,
                                  std::string_view projectName, std::string_view systemName,
                                  std::string_view poolName);

} // namespace aql::config
