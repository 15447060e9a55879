#pragma once

#include <filesystem>

namespace aql::platform {

// Opens a file with the program the desktop associates with its type (a spreadsheet for a
// workbook), as a double click in the file manager would.
class FileOpener {
public:
    virtual ~FileOpener() = default;
    // True as soon as a program was started to open it: whether that program can read the file
    // is not known then. False when there is no such file or nothing could be started.
    virtual bool open(const std::filesystem::path &file) = 0;
};

} // namespace aql::platform
