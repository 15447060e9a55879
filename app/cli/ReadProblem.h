#pragma once

#include "core/Error.h"
#include "shell/FileReader.h"

#include <string>
#include <type_traits>

namespace aql::shell {
// The reader's refusal of one line of a record file, where the reader has it: it names the line
// and the reason.
class RecordLineError;
} // namespace aql::shell

namespace aql::cli {

namespace detail {
template <class T, class = void> struct IsDefined : std::false_type {};
template <class T> struct IsDefined<T, std::void_t<decltype(sizeof(T))>> : std::true_type {};
} // namespace detail

// "FILE, line N: why" when the reader said which line it refused, else "FILE: description
// (source, error n)".
template <class LineError = shell::RecordLineError>
std::string readProblem(const std::string &file, const AqlError &error) {
    if constexpr (detail::IsDefined<LineError>::value) {
        if (const auto *line = dynamic_cast<const LineError *>(&error)) {
            return file + ", line " + std::to_string(line->lineNumber()) + ": " + line->reason();
        }
    }
    return file + ": " + error.description() + " (" + error.source() + ", error " +
           std::to_string(error.number()) + ")";
}

} // namespace aql::cli
