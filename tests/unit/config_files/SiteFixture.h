#pragma once

#include "config/SiteConfig.h"
#include "support/LinkFakes.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace aql::config::test {

using Names = std::vector<std::string>;

inline Names namesOf(const SystemList &edit) {
    Names names;
    for (std::int32_t i = 1; i <= edit.count(); ++i) {
        names.push_back(edit.name(i));
    }
    return names;
}

// What the main window hands the readers; the selectors start stale so a missing reset shows.
struct Site {
    ConfigValues values;
    PoolList pools;
    Names mainSelector{"stale"}, configSelector{"stale"};
    SystemList systemList;
    int newActions = 0;
    std::function<void()> onNew = [this] { ++newActions; };

    void load(const std::filesystem::path &file, Names *configSelection = nullptr) {
        pools.clear();
        ConfigTargets t{pools, mainSelector, systemList};
        t.configSelector = configSelection ? configSelection : &configSelector;
        t.runNewAction = onNew;
        loadSiteConfig(file.string(), values, t, aql::test::numberedText);
    }
    void loadProject(const std::filesystem::path &file, const std::filesystem::path &program) {
        ConfigTargets t{pools, mainSelector, systemList};
        t.programFolder = program;
        loadProjectConfig(file.string(), values, t, aql::test::numberedText);
    }
};

} // namespace aql::config::test
