#pragma once

#include <filesystem>
#include <string_view>

namespace aql {

// Writes `bytes` to `target` so that the target is either the complete new content or, on any
// failure, the untouched old file: the bytes go to a temporary file beside the target, which is
// renamed over it only once everything has been written and closed. A failure removes the
// temporary file and throws AqlError 75 (path/file access) naming the target.
void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes);

} // namespace aql
