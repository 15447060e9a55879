#pragma once

#include <string_view>

namespace aql::cli {

// The English language file as it was when the program was built, for a program folder that
// lacks its own.
std::string_view builtInEnglishTexts();

} // namespace aql::cli
