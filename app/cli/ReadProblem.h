#pragma once

#include "core/Error.h"
#include "shell/FileReader.h"

#include <string>

namespace aql::cli {

// "FILE, line N: why" when the reader said which line it refused, else "FILE: description
// (source, error n)".
inline std::string readProblem(const std::string &file, const AqlError &error) {
    if (const auto *line = dynamic_cast<const shell::RecordLineError *>(&error)) {
        return file + ", line " + std::to_string(line->lineNumber()) + ": " + line->reason();
    }
    return file + ": " + error.description() + " (" + error.source() + ", error " +
           std::to_string(error.number()) + ")";
}

} // namespace aql::cli
