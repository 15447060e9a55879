#pragma once

#include "platform/FileOpener.h"

namespace aql::platform::qt {

// platform::FileOpener through the desktop's file associations (QDesktopServices).
class QtFileOpener final : public platform::FileOpener {
public:
    bool open(const std::filesystem::path &file) override;
};

} // namespace aql::platform::qt
