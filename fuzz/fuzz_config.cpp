// A config.xml file's bytes through the site reader and the project loader. Whatever the bytes,
// the readers either fill their targets consistently or fail with error 20000; and a site file
// that could be read is written again and read back to the same systems, byte for byte the second
// time.
#include "FuzzBox.h"
#include "config/SiteConfig.h"
#include "core/Error.h"
#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace aql::config;
using aql::fuzz::check;

// One scratch folder per process, removed at exit.
const fs::path &scratch() {
    static const aql::test::TempDir kScratch;
    return kScratch.path();
}

std::string text(int n) {
    return "text " + std::to_string(n);
}

fs::path writeFile(const std::string &name, const std::string &bytes) {
    aql::test::writeBytes(scratch() / name, bytes);
    return scratch() / name;
}

struct Loaded {
    ConfigValues values;
    PoolList pools;
    std::vector<std::string> mainSelector;
    std::vector<std::string> configSelector;
    SystemList systemList;
    int newActions = 0;
    int hidden = 0;

    ConfigTargets targets() {
        // A program folder that does not exist: the project reader then creates no folders.
        ConfigTargets t{pools, mainSelector, systemList};
        t.configSelector = &configSelector;
        t.runNewAction = [this] { ++newActions; };
        t.hideProjectControls = [this] { ++hidden; };
        t.programFolder = scratch() / "no-program";
        return t;
    }
};

bool loadSite(const fs::path &file, Loaded &l) {
    ConfigTargets t = l.targets();
    try {
        loadSiteConfig(file.string(), l.values, t, text);
    } catch (const aql::AqlError &e) {
        check(e.number() == aql::errc::kApplication && e.source() == "text 57" &&
              e.description().rfind("text 58 " + file.string() + "\r\n", 0) == 0);
        return false;
    }
    // Every list the reader fills holds the same systems in the same order.
    const auto count = static_cast<std::size_t>(l.systemList.count());
    check(l.pools.count() == l.systemList.count() && l.mainSelector.size() == count &&
          l.configSelector == l.mainSelector && l.newActions == (count == 0 ? 1 : 0));
    for (std::int32_t i = 1; i <= l.systemList.count(); ++i) {
        const Pool &pool = l.pools.item(i);
        check(pool.name() == l.systemList.name(i) && pool.number() == i &&
              pool.ipAddress() == l.systemList.ipAddress(i) &&
              pool.port() == l.systemList.port(i) &&
              l.mainSelector[static_cast<std::size_t>(i - 1)] == pool.name() &&
              l.values.tables.poolAttribute(0, 0, i - 1, 0) == pool.name());
    }
    return true;
}

void loadProject(const fs::path &file) {
    Loaded l;
    l.values.systemId = "000000";
    l.values.projectCode = "00";
    ConfigTargets t = l.targets();
    try {
        loadProjectConfig(file.string(), l.values, t, text);
    } catch (const aql::AqlError &e) {
        check(e.number() == aql::errc::kApplication);
        return;
    }
    check(l.systemList.count() == 0 && l.hidden == 1 &&
          l.mainSelector.size() == static_cast<std::size_t>(l.pools.count()));
    for (std::int32_t i = 1; i <= l.pools.count(); ++i) {
        check(l.pools.item(i).address() == 1 && l.pools.item(i).resort() == "00");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const fs::path input =
        writeFile("config.xml", std::string(reinterpret_cast<const char *>(data), data ? size : 0));
    Loaded first;
    const bool siteRead = loadSite(input, first);
    loadProject(input);
    if (!siteRead) {
        return 0;
    }
    const std::string firstText = siteConfigText(first.systemList);
    Loaded second;
    check(loadSite(writeFile("rewritten.xml", firstText), second) &&
          second.systemList.count() == first.systemList.count() &&
          second.values.siteName == "Velmaro AQL");
    for (std::int32_t i = 1; i <= first.systemList.count(); ++i) {
        check(second.pools.item(i).address() == i);
    }
    check(siteConfigText(second.systemList) == firstText);
    return 0;
}
