#include "config/PoolFolders.h"

#include <system_error>

namespace aql::config {
namespace {

FolderStatus createOne(const std::filesystem::path &folder) {
    std::error_code ec;
    if (std::filesystem::create_directory(folder, ec)) {
        return FolderStatus::Created;
    }
    // create_directory also reports false without an error when the folder was already there; a
    // file of that name is not a folder we can put anything into.
    std::error_code statusError;
    if (std::filesystem::is_directory(folder, statusError)) {
        return FolderStatus::AlreadyPresent;
    }
    return FolderStatus::Failed;
}

} // namespace

bool isSafeFolderName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    bool onlyDotsAndBlanks = true;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || b < 0x20 || b == 0x7F) {
            return false;
        }
        if (c != '.' && c != ' ') {
            onlyDotsAndBlanks = false;
        }
    }
    // Windows drops trailing dots and blanks from a path component, so "...", ". ." and the like
    // would name the parent folder (or climb out of it) rather than a new one.
    return !onlyDotsAndBlanks;
}

bool PoolFoldersResult::complete() const {
    for (const FolderStep &step : steps) {
        if (step.status != FolderStatus::Created && step.status != FolderStatus::AlreadyPresent) {
            return false;
        }
    }
    return true;
}

PoolFoldersResult makePoolFolders(const std::filesystem::path &programFolder,
                                  std::string_view projectName, std::string_view systemName,
                                  std::string_view poolName) {
    PoolFoldersResult result;
    std::filesystem::path folder = programFolder / "Data";
    result.steps[0] = {folder, createOne(folder)};

    const std::string_view names[] = {projectName, systemName, poolName};
    for (std::size_t level = 0; level < 3; ++level) {
        if (!isSafeFolderName(names[level])) {
            result.steps[level + 1].status = FolderStatus::RefusedName;
            // Everything below hangs from the refused level; the defaults say "not attempted".
            break;
        }
        // Names are bytes in the single-byte code page and are used exactly as read.
        folder /= std::filesystem::path(std::string(names[level]));
        result.steps[level + 1] = {folder, createOne(folder)};
    }
    return result;
}

} // namespace aql::config
