// A stored record file's bytes read into a record list: whatever the bytes, the reading either
// ends normally or raises a "ReadFile" error, and the list stays ordered with unique keys.
#include "FuzzBox.h"
#include "core/Error.h"
#include "records/RecordList.h"
#include "shell/FileReader.h"
#include "shell/LanguageTexts.h"

#include <cstdint>
#include <sstream>
#include <string>

namespace {
const aql::shell::LanguageTexts &texts() {
    static aql::fuzz::CountingBox box;
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
    aql::fuzz::CountingBox box;
    records::RecordList list;
    shell::FileReader reader(list, texts(), box);
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), data ? size : 0));
    try {
        reader.readStream(in);
    } catch (const AqlError &e) {
        fuzz::check(e.source() == "ReadFile" && e.description() == "text 103" && box.shown == 0,
                    "an unexpected error");
    }
    fuzz::check(box.shown <= 1 && (box.shown == 0 || list.count() == 0),
                "records were read from a refused file");
    std::size_t seen = 0;
    const records::LogRecord *previous = nullptr;
    list.forEach([&](const records::LogRecord &r) {
        fuzz::check((!previous || r.recordNumber > previous->recordNumber) &&
                        list.find(r.key()) == &r,
                    "the list lost its order or its keys");
        previous = &r;
        ++seen;
    });
    fuzz::check(seen == list.count(), "the list miscounts its records");
    return 0;
}
