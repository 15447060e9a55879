// A config.xml file's bytes through the site reader and the project loader. Whatever the bytes,
// the readers either fill their targets consistently or fail with error 20000; and a site file
// that could be read is written again and read back to the same systems, byte for byte the second
// time.
#include "config/SiteConfig.h"
#include "core/Error.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace aql::config;

// One scratch folder per process, removed at exit.
struct Scratch {
    fs::path folder;
    Scratch() {
        std::random_device rd;
        folder = fs::temp_directory_path() / ("aql-fuzz-config-" + std::to_string(rd()));
        fs::create_directories(folder);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

const Scratch &scratch() {
    static const Scratch kScratch;
    return kScratch;
}

std::string text(int n) {
    return "text " + std::to_string(n);
}

void writeFile(const fs::path &file, const char *data, std::size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    if (!out) {
        std::abort();
    }
}

std::string readFile(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
        t.programFolder = scratch().folder / "no-program";
        return t;
    }
};

bool loadSite(const fs::path &file, Loaded &l) {
    ConfigTargets t = l.targets();
    try {
        loadSiteConfig(file.string(), l.values, t, text);
    } catch (const aql::AqlError &e) {
        if (e.number() != aql::errc::kApplication || e.source() != "text 57" ||
            e.description().rfind("text 58 " + file.string() + "\r\n", 0) != 0) {
            std::abort();
        }
        return false;
    }
    // Every list the reader fills holds the same systems in the same order.
    const auto count = static_cast<std::size_t>(l.systemList.count());
    if (l.pools.count() != l.systemList.count() || l.mainSelector.size() != count ||
        l.configSelector != l.mainSelector || l.newActions != (count == 0 ? 1 : 0)) {
        std::abort();
    }
    for (std::int32_t i = 1; i <= l.systemList.count(); ++i) {
        const Pool &pool = l.pools.item(i);
        if (pool.name() != l.systemList.name(i) || pool.number() != i ||
            pool.ipAddress() != l.systemList.ipAddress(i) || pool.port() != l.systemList.port(i) ||
            l.mainSelector[static_cast<std::size_t>(i - 1)] != pool.name() ||
            l.values.tables.poolAttribute(0, 0, i - 1, 0) != pool.name()) {
            std::abort();
        }
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
        if (e.number() != aql::errc::kApplication) {
            std::abort();
        }
        return;
    }
    if (l.systemList.count() != 0 || l.hidden != 1 ||
        l.mainSelector.size() != static_cast<std::size_t>(l.pools.count())) {
        std::abort();
    }
    for (std::int32_t i = 1; i <= l.pools.count(); ++i) {
        if (l.pools.item(i).address() != 1 || l.pools.item(i).resort() != "00") {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const fs::path input = scratch().folder / "config.xml";
    writeFile(input, reinterpret_cast<const char *>(data), data ? size : 0);

    Loaded first;
    const bool siteRead = loadSite(input, first);
    loadProject(input);
    if (!siteRead) {
        return 0;
    }

    const fs::path rewritten = scratch().folder / "rewritten.xml";
    const std::string firstText = siteConfigText(first.systemList);
    writeFile(rewritten, firstText.data(), firstText.size());
    Loaded second;
    if (!loadSite(rewritten, second) || second.systemList.count() != first.systemList.count() ||
        second.values.siteName != "Velmaro AQL") {
        std::abort();
    }
    for (std::int32_t i = 1; i <= first.systemList.count(); ++i) {
        if (second.systemList.name(i) != first.systemList.name(i) ||
            second.systemList.ipAddress(i) != first.systemList.ipAddress(i) ||
            second.systemList.port(i) != first.systemList.port(i) ||
            second.pools.item(i).address() != i) {
            std::abort();
        }
    }
    const std::string once = readFile(rewritten);
    if (siteConfigText(second.systemList) != once) {
        std::abort();
    }
    return 0;
}
