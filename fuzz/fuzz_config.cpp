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
    static const Scratch s;
    return s;
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
    SystemList editList;
    int newActions = 0;
    int hidden = 0;

    ConfigTargets targets() {
        // A program folder that does not exist: the project reader then creates no folders.
        ConfigTargets t{pools, mainSelector, editList};
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
    const auto count = static_cast<std::size_t>(l.editList.count());
    if (l.pools.count() != l.editList.count() || l.mainSelector.size() != count ||
        l.configSelector != l.mainSelector || l.newActions != (count == 0 ? 1 : 0)) {
        std::abort();
    }
    for (std::int32_t i = 1; i <= l.editList.count(); ++i) {
        const Pool &pool = l.pools.item(i);
        if (pool.name() != l.editList.name(i) || pool.Number() != i ||
            pool.ipaddress() != l.editList.ipaddress(i) || pool.port() != l.editList.port(i) ||
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
    if (l.editList.count() != 0 || l.hidden != 1 ||
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
    writeSiteConfig(first.editList, rewritten.string());
    Loaded second;
    if (!loadSite(rewritten, second) || second.editList.count() != first.editList.count() ||
        second.values.siteName != "Velmaro AQL") {
        std::abort();
    }
    for (std::int32_t i = 1; i <= first.editList.count(); ++i) {
        if (second.editList.name(i) != first.editList.name(i) ||
            second.editList.ipaddress(i) != first.editList.ipaddress(i) ||
            second.editList.port(i) != first.editList.port(i) ||
            second.pools.item(i).address() != i) {
            std::abort();
        }
    }
    const std::string once = readFile(rewritten);
    writeSiteConfig(second.editList, rewritten.string());
    if (readFile(rewritten) != once) {
        std::abort();
    }
    return 0;
}
