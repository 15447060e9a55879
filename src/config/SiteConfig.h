#pragma once

#include "config/PoolList.h"
#include "config/SystemList.h"
#include "platform/FileSaver.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace aql::config {

// Language text by number (a TextId).
using Texts = std::function<std::string(int)>;

// The tables a configuration reader fills, indexed (project, system, pool, attribute) from 0.
// Projects 0..100 and systems 0..10 are fixed; the pools of a system grow with the file (at least
// 0..50 are always addressable, empty until read), so a site of 100 or more systems fits. Reading
// a position that lies inside the tables but was never written gives "".
class ProjectTables {
public:
    static constexpr int kLastProject = 100;
    static constexpr int kLastSystem = 10;
    static constexpr int kLastPoolAlways = 50; // pools 0..50 exist even when nothing was read
    static constexpr int kLastAttribute = 170;
    static constexpr int kPoolCodeAttribute = 121;     // ppssnn
    static constexpr int kRunningIndexAttribute = 122; // all pools of the file, from 0
    static constexpr int kNameAttribute = 0;
    static constexpr int kIpAttribute = 5;
    static constexpr int kPortAttribute = 6;

    ProjectTables();

    int projectLast = -1;                              // number of projects - 1; may pass 100
    std::vector<std::string> projectNames;             // [0..100]
    std::vector<std::vector<std::string>> systemNames; // [0..100][0..10]

    // Number of systems of project p (of pools of system s) minus 1; -1 until read. p outside
    // 0..100 or s outside 0..10 is AqlError 9.
    int systemLast(int p) const;
    int poolLast(int p, int s) const;
    void setSystemLast(int p, int last);
    void setPoolLast(int p, int s, int last);

    // AqlError 9 for p outside 0..100, s outside 0..10, k outside 0..170, and n below 0 or past
    // both 50 and the last pool ever stored for (p, s).
    const std::string &poolAttribute(int p, int s, int n, int k) const;
    void setPoolAttribute(int p, int s, int n, int k, std::string value);

    // Forgets every pool row of (p, s); used where one file is the whole truth for that system.
    void clearPools(int p, int s);

private:
    std::size_t systemSlot(int p, int s) const;

    std::vector<int> m_systemLast;                              // per project
    std::vector<int> m_poolLast;                                // per (project, system)
    std::vector<std::vector<std::vector<std::string>>> m_pools; // [(p, s)][n][k]
};

// The values the readers keep for the whole program.
struct ConfigValues {
    std::string configPath, siteName, systemId;
    std::string projectCode = "0", systemCode = "0", poolCode = "0";
    std::string useProject, updateTime;
    ProjectTables tables;

    // Why the last readProjectFile found nothing to read (file missing, not XML, another root);
    // empty when the file could be read. The project reader itself never fails, so start-up can
    // show this when the project file yields no pools.
    std::string projectFileProblem;

    // Set while the site reader runs the configuration window's New action, so the reload that
    // New triggers does not start another New if it also finds no system.
    bool creatingDefaultSystem = false;
};

// What a reader fills. The references must stay valid while the reader runs, including across
// runNewAction, which reloads the main window and so re-enters the site reader.
struct ConfigTargets {
    // The three lists every reader fills; the rest is set member by member where it applies.
    ConfigTargets(PoolList &poolList, std::vector<std::string> &selector, SystemList &systems)
        : pools(poolList), mainSelector(selector), systemList(systems) {}

    PoolList &pools;
    std::vector<std::string> &mainSelector; // the main window's pool selection
    SystemList &systemList;                 // what the configuration window edits
    // The configuration window's selection, once that window exists.
    std::vector<std::string> *configSelector = nullptr;
    std::function<void()> runNewAction;        // the configuration window's New
    std::function<void()> hideProjectControls; // project mode with a system code
    std::filesystem::path programFolder;       // for makePoolFolders
};

// Site reader: fills pools, both selectors, the system list and pool rows (0, 0, i) at positions
// 0, 5, 6 from a site file, and runs runNewAction once when the file lists no system. Any failure
// is AqlError 20000 with source TextId::ConfigFileSource and description
// TextId::ConfigFileUnreadable + " " + path, followed by CR LF and an English detail of the
// problem.
void loadSiteConfig(const std::string &path, ConfigValues &v, ConfigTargets &t, const Texts &texts);

// Project reader: fills useProject, updateTime and the project tables and creates every pool's
// data folders below programFolder. Never fails: a step that cannot be done is skipped and its
// values keep their previous content.
void readProjectFile(const std::string &path, ConfigValues &v,
                     const std::filesystem::path &programFolder);

// Project loader: empties the system list and the main selector, runs readProjectFile, then adds
// every pool of the tables (address 1, resort = projectCode) to pools and the main selector; runs
// hideProjectControls when systemId is set. Duplicate names or a file larger than the tables fail
// as loadSiteConfig does.
void loadProjectConfig(const std::string &path, ConfigValues &v, ConfigTargets &t,
                       const Texts &texts);

// The site file's bytes for a system list (ISO-8859-1, CR LF).
std::string siteConfigText(const SystemList &systems);

// Writes siteConfigText to configPath (UTF-8) through the saver: the old file stays whole unless
// the new one was written completely. AqlError 75 on failure.
void writeSiteConfig(platform::FileSaver &saver, const SystemList &systems,
                     const std::string &configPath);

} // namespace aql::config
