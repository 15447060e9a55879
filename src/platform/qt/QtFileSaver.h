#pragma once

#include "platform/FileSaver.h"

namespace aql::platform {

// Whole files through QSaveFile (a temporary file in the target's folder, renamed over it), with
// what QSaveFile leaves to its caller: devices, pipes and standard output are written straight
// into, short writes and a failed flush to disk are errors, the folder is flushed to disk after
// the rename (POSIX), and the owner of a replaced file is kept where the system allows it.
class QtFileSaver : public FileSaver {
public:
    TargetKind kindOf(const std::filesystem::path &target) const override;
    std::optional<std::string> whyNotWritable(const std::filesystem::path &target) const override;
    std::unique_ptr<FileSink> open(const std::filesystem::path &target) override;
};

} // namespace aql::platform
