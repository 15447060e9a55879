#include "shell/LanguageTexts.h"

#include "shell/LineReader.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace aql::shell {
namespace {

constexpr std::string_view kBeginMarker = "[begin]";

// The number in front of "|": leading blanks, an optional sign, then decimal digits up to the
// first other character; no digits reads as 0. Only its range matters, as the lookup goes by
// position: false when it does not fit a signed 16-bit integer.
bool entryNumberFits(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const long limit = negative ? 32768L : 32767L;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            return false; // stop before a long run of digits can overflow
        }
    }
    return true;
}

} // namespace

LanguageTexts::LanguageTexts(platform::MessageBox &box) : m_box(box) {}

void LanguageTexts::readFile(const std::string &path) {
    // Binary mode: line ends are recognised by the reader itself, the same on every platform.
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in.is_open() || !readEntries(in)) {
        reportFailure(path);
    }
}

void LanguageTexts::readText(std::string_view bytes, const std::string &name) {
    std::istringstream in(std::string(bytes), std::ios::binary);
    if (!readEntries(in)) {
        reportFailure(name);
    }
}

bool LanguageTexts::readEntries(std::istream &in) {
    LineReader lines(in, kMaxLineLength);
    std::string_view line;
    for (;;) {
        const LineReader::Status status = lines.next(line);
        if (status != LineReader::Status::Line) {
            return false; // the end before the marker, or an overlong line
        }
        if (line == kBeginMarker) {
            break;
        }
    }
    for (;;) {
        const LineReader::Status status = lines.next(line);
        if (status == LineReader::Status::End) {
            return true;
        }
        if (status == LineReader::Status::TooLong) {
            return false;
        }
        const std::size_t bar = line.find('|');
        if (bar == std::string_view::npos || !entryNumberFits(line.substr(0, bar))) {
            return false;
        }
        const std::string_view text = line.substr(bar + 1);
        if (m_entries.size() >= kMaxEntries || m_textBytes + text.size() > kMaxTextBytes) {
            return false;
        }
        m_entries.emplace_back(text);
        m_textBytes += text.size();
    }
}

void LanguageTexts::reportFailure(const std::string &name) {
    m_box.show("Text couldn't be read\r\n" + name, platform::style::kCritical);
}

std::string LanguageTexts::getText(std::int32_t n) const {
    if (n >= 1 && static_cast<std::size_t>(n) <= m_entries.size()) {
        return m_entries[static_cast<std::size_t>(n) - 1];
    }
    return "####-" + std::to_string(n) + "-####";
}

} // namespace aql::shell
