#include "cli/StreamMessageBox.h"

namespace aql::cli {

int StreamMessageBox::show(const std::string &text, int style, const std::string &title) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue; // CR LF becomes the platform's own line end
        }
        plain.push_back(text[i]);
    }
    m_out << (style == platform::style::kCritical ? "error: " : "");
    if (!title.empty()) {
        m_out << "[" << title << "] ";
    }
    m_out << plain << std::endl;
    m_last = plain;
    ++m_count;
    return platform::kResultOk;
}

} // namespace aql::cli
