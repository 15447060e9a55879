// A language file's bytes read into a text table: whatever the bytes, the reading ends with at most
// one message, a bounded table, and entries that are whole lines.
#include "shell/LanguageTexts.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
class CountingBox : public aql::platform::MessageBox {
public:
    int show(const std::string &text, int style, const std::string &) override {
        if (text != "Text couldn't be read\r\nfuzz.lng" || style != 16) {
            std::abort();
        }
        ++shown;
        return aql::platform::kResultOk;
    }
    int shown = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using aql::shell::LanguageTexts;
    const std::string_view bytes(reinterpret_cast<const char *>(data), data ? size : 0);
    CountingBox box;
    LanguageTexts table(box);
    table.readText(bytes, "fuzz.lng");
    if (box.shown > 1 || table.count() > LanguageTexts::kMaxEntries) {
        std::abort();
    }
    // Without "[begin]" there can be no entry, and the reading must have complained.
    if (bytes.find("[begin]") == std::string_view::npos && (table.count() != 0 || box.shown != 1)) {
        std::abort();
    }
    std::size_t total = 0;
    for (std::size_t i = 1; i <= table.count(); ++i) {
        const std::string text = table.getText(static_cast<std::int32_t>(i));
        if (text.size() >= LanguageTexts::kMaxLineLength ||
            text.find_first_of("\r\n") != std::string::npos) {
            std::abort();
        }
        total += text.size();
    }
    if (total > LanguageTexts::kMaxTextBytes || total > bytes.size()) {
        std::abort();
    }
    const auto past = static_cast<std::int32_t>(table.count() + 1);
    if (table.getText(past) != "####-" + std::to_string(past) + "-####") {
        std::abort();
    }
    return 0;
}
