#pragma once

#include "core/Error.h"
#include "platform/MessageBox.h"

#include <optional>
#include <string>

namespace aql::link {

// Shows a text with the number and description of the error being handled, titled with the
// program's name and version.
class ErrorReporter {
public:
    // Title: executable name without extension, " - V", major, ".", minor.
    ErrorReporter(platform::MessageBox &box, const std::string &exeName, int major, int minor);

    // Box text: `text`, CR LF, the error's description (empty without an error); title: the
    // stored title, " Error #: " and the error's number (0 without an error). Critical style.
    void show(const std::string &text, const std::optional<AqlError> &error = std::nullopt);

    const std::string &title() const { return m_title; }

private:
    platform::MessageBox &m_box;
    std::string m_title;
};

} // namespace aql::link
