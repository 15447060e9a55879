// A language file's bytes read into a text table: whatever the bytes, the reading ends with at most
// one message, a bounded table, and entries that are whole lines.
#include "FuzzBox.h"
#include "shell/LanguageTexts.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using aql::shell::LanguageTexts;
    const std::string_view bytes(reinterpret_cast<const char *>(data), data ? size : 0);
    aql::fuzz::CountingBox box("Text couldn't be read\r\nfuzz.lng");
    LanguageTexts table(box);
    table.readText(bytes, "fuzz.lng");
    // Without "[begin]" there can be no entry, and the reading must have complained.
    aql::fuzz::check(box.shown <= 1 && table.count() <= LanguageTexts::kMaxEntries &&
                         (bytes.find("[begin]") != std::string_view::npos ||
                          (table.count() == 0 && box.shown == 1)),
                     "too many messages or entries", bytes);
    std::size_t total = 0;
    for (std::size_t i = 1; i <= table.count(); ++i) {
        const std::string text = table.getText(static_cast<std::int32_t>(i));
        aql::fuzz::check(text.size() < LanguageTexts::kMaxLineLength &&
                             text.find_first_of("\r\n") == std::string::npos,
                         "an entry is not a whole line", text);
        total += text.size();
    }
    const auto past = static_cast<std::int32_t>(table.count() + 1);
    aql::fuzz::check(total <= LanguageTexts::kMaxTextBytes && total <= bytes.size() &&
                         table.getText(past) == "####-" + std::to_string(past) + "-####",
                     "the table holds more than the file, or a missing text is not marked");
    return 0;
}
