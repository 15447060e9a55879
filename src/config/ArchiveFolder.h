#pragma once

#include "config/Pool.h"
#include "config/SiteConfig.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace aql::config {

// The folder that holds a pool's log archive, made when missing.
struct ArchiveFolder {
    std::filesystem::path path; // empty when the pool has no safe place
    std::string problem;        // why not, in plain words; empty when `path` is set
};

// Site mode: programFolder/Data/<pool name>, the name's bytes used exactly as read.
ArchiveFolder siteArchiveFolder(const std::filesystem::path &programFolder,
                                std::string_view poolName);

// Project mode: the pool's folder programFolder/Data/<project>/<system>/<pool> that the project
// reader makes. The pool is found in the tables at its number (counted from 1 in the order the
// project loader adds pools: project by project, system by system) and must carry `poolName`
// there.
ArchiveFolder projectArchiveFolder(const std::filesystem::path &programFolder,
                                   const ProjectTables &tables, std::int32_t poolNumber,
                                   std::string_view poolName);

// Whichever of the two the configuration in use asks for.
ArchiveFolder archiveFolderOf(const std::filesystem::path &programFolder,
                              const ConfigValues &values, const Pool &pool, bool projectMode);

} // namespace aql::config
