#include "cli/StreamMessageBox.h"

namespace aql::cli {

namespace {

constexpr const char *kErrorNumberMark = " Error #: ";

// The number after "Error #: " in a title, or "" when there is none or it is 0 (a message
// without an error behind it).
std::string errorNumberIn(const std::string &title) {
    const auto at = title.rfind(kErrorNumberMark);
    if (at == std::string::npos) {
        return {};
    }
    const std::string number = title.substr(at + std::char_traits<char>::length(kErrorNumberMark));
    return number == "0" ? std::string() : number;
}

} // namespace

int StreamMessageBox::show(const std::string &text, int style, const std::string &title) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue; // CR LF becomes the platform's own line end
        }
        plain.push_back(text[i]);
    }
    while (!plain.empty() && plain.back() == '\n') {
        plain.pop_back(); // an error without a description leaves its line end behind
    }
    // The console goes on after most of its messages; whether the run failed is said at its end.
    (void)style;
    std::string shown = "message: " + plain;
    const std::string number = errorNumberIn(title);
    if (!number.empty()) {
        shown += " (error " + number + ")";
    }
    m_last = plain;
    ++m_count;
    if (shown == m_lastShown) {
        ++m_repeats;
        return platform::kResultOk;
    }
    flush();
    m_out << shown << std::endl;
    m_lastShown = shown;
    return platform::kResultOk;
}

void StreamMessageBox::flush() {
    if (m_repeats > 0) {
        m_out << "(the same message " << m_repeats
              << (m_repeats == 1 ? " more time)" : " more times)") << std::endl;
        m_repeats = 0;
    }
}

} // namespace aql::cli
