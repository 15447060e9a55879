#pragma once

#include <optional>
#include <string>

namespace aql::platform {

// The common file dialog. `filter` is in the two-part form "CSV files|*.csv". nullopt = Cancel.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    virtual std::optional<std::string> openFile(const std::string &initialFolder,
                                                const std::string &filter) = 0;
    virtual std::optional<std::string> saveFile(const std::string &initialFolder,
                                                const std::string &filter) = 0;
};

} // namespace aql::platform
