#include "config/ArchiveFolder.h"

#include "config/PoolFolders.h"

#include <algorithm>
#include <system_error>

namespace aql::config {

namespace fs = std::filesystem;

namespace {

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

ArchiveFolder refused(std::string_view name) {
    return {{}, "the name " + quoted(name) + " cannot name a folder"};
}

ArchiveFolder notMade(const fs::path &folder) {
    return {{}, "the folder " + folder.u8string() + " could not be made"};
}

// Made by this call or before it.
bool madeOrThere(const fs::path &folder) {
    std::error_code ec;
    fs::create_directory(folder, ec);
    return fs::is_directory(folder, ec);
}

} // namespace

ArchiveFolder siteArchiveFolder(const fs::path &programFolder, std::string_view poolName) {
    if (!isSafeFolderName(poolName)) {
        return refused(poolName);
    }
    const fs::path data = programFolder / "Data";
    if (!madeOrThere(data)) {
        return notMade(data);
    }
    // Names are bytes in the single-byte code page and are used exactly as read.
    const fs::path folder = data / fs::path(std::string(poolName));
    if (!madeOrThere(folder)) {
        return notMade(folder);
    }
    return {folder, {}};
}

ArchiveFolder projectArchiveFolder(const fs::path &programFolder, const ProjectTables &tables,
                                   std::int32_t poolNumber, std::string_view poolName) {
    std::int32_t number = 0;
    const int projects = std::min(tables.projectLast, ProjectTables::kLastProject);
    for (int p = 0; p <= projects; ++p) {
        const int systems = std::min(tables.systemLast(p), ProjectTables::kLastSystem);
        for (int s = 0; s <= systems; ++s) {
            for (int n = 0; n <= tables.poolLast(p, s); ++n) {
                if (++number != poolNumber) {
                    continue;
                }
                if (tables.poolAttribute(p, s, n, ProjectTables::kNameAttribute) != poolName) {
                    return {{}, "the pool " + quoted(poolName) + " is not in the project file"};
                }
                const std::string &project = tables.projectNames[static_cast<std::size_t>(p)];
                const std::string &system =
                    tables.systemNames[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)];
                const PoolFoldersResult made =
                    makePoolFolders(programFolder, project, system, poolName);
                const std::string_view names[] = {"Data", project, system, poolName};
                for (std::size_t level = 0; level < made.steps.size(); ++level) {
                    if (made.steps[level].status == FolderStatus::RefusedName) {
                        return refused(names[level]);
                    }
                    if (made.steps[level].status == FolderStatus::Failed) {
                        return notMade(made.steps[level].path);
                    }
                }
                return {made.pool().path, {}};
            }
        }
    }
    return {{}, "the pool " + quoted(poolName) + " is not in the project file"};
}

ArchiveFolder archiveFolderOf(const fs::path &programFolder, const ConfigValues &values,
                              const Pool &pool, bool projectMode) {
    return projectMode
               ? projectArchiveFolder(programFolder, values.tables, pool.number(), pool.name())
               : siteArchiveFolder(programFolder, pool.name());
}

} // namespace aql::config
