#include "link/ErrorReporter.h"

namespace aql::link {

ErrorReporter::ErrorReporter(platform::MessageBox &box, const std::string &exeName, int major,
                             int minor)
    : m_box(box), m_title(exeName + " - V" + std::to_string(major) + "." + std::to_string(minor)) {}

void ErrorReporter::show(const std::string &text, const std::optional<AqlError> &error) {
    const std::string description = error ? error->description() : std::string();
    const int number = error ? error->number() : 0;
    m_box.show(text + "\r\n" + description, platform::style::kCritical,
               m_title + " Error #: " + std::to_string(number));
}

} // namespace aql::link
