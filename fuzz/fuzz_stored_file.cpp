// A stored record file's bytes read into a record list: whatever the bytes, the reading either
// ends normally or raises a "ReadFile" error, and the list stays ordered with unique keys.
#include "core/Error.h"
#include "records/RecordList.h"
#include "shell/FileReader.h"
#include "shell/LanguageTexts.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {
class CountingBox : public aql::platform::MessageBox {
public:
    int show(const std::string &, int style, const std::string &) override {
        if (style != 16) {
            std::abort();
        }
        ++shown;
        return aql::platform::kResultOk;
    }
    int shown = 0;
};

const aql::shell::LanguageTexts &texts() {
    static CountingBox box;
    static aql::shell::LanguageTexts table = [] {
        aql::shell::LanguageTexts t(box);
        std::string file = "[begin]\r\n";
        for (int i = 1; i <= 103; ++i) {
            file += std::to_string(i) + "|text " + std::to_string(i) + "\r\n";
        }
        t.readText(file, "fuzz.lng");
        return t;
    }();
    return table;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace aql;
    const std::string bytes(reinterpret_cast<const char *>(data), data ? size : 0);
    CountingBox box;
    records::RecordList list;
    shell::FileReader reader(list, texts(), box);
    std::istringstream in(bytes);
    try {
        reader.readStream(in);
    } catch (const AqlError &e) {
        if (e.source() != "ReadFile" || e.description() != "text 103" || box.shown != 0) {
            std::abort();
        }
    }
    // A message means the file was refused before any record was read.
    if (box.shown > 1 || (box.shown == 1 && list.count() != 0)) {
        std::abort();
    }
    std::size_t seen = 0;
    bool first = true;
    std::int32_t last = 0;
    list.forEach([&](const records::LogRecord &r) {
        if ((!first && r.recordNumber <= last) || list.find(r.key()) != &r) {
            std::abort();
        }
        first = false;
        last = r.recordNumber;
        ++seen;
    });
    if (seen != list.count()) {
        std::abort();
    }
    return 0;
}
