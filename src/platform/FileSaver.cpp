#include "platform/FileSaver.h"

#include <cctype>
#include <system_error>

namespace aql::platform {

void FileSaver::saveWhole(const std::filesystem::path &target, std::string_view bytes) {
    auto sink = open(target);
    sink->write(bytes);
    sink->commit();
}

bool sameFile(const std::filesystem::path &a, const std::filesystem::path &b) {
    if (a == "-" || b == "-") {
        return a == b;
    }
    std::error_code ec;
    const bool same = std::filesystem::equivalent(a, b, ec);
    return !ec && same;
}

AqlError saveError(const std::filesystem::path &target, std::string_view reason) {
    return AqlError(errc::kPathFileAccess, "FileSaver",
                    "Could not write " + target.u8string() + ": " + std::string(reason));
}

std::string systemReason(int errorNumber) {
    std::string text = std::generic_category().message(errorNumber);
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

} // namespace aql::platform
