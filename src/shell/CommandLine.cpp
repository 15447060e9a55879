#include "shell/CommandLine.h"

#include "core/Error.h"

namespace aql::shell {

CommandLine::CommandLine(std::string_view exeName, std::string_view argumentText) {
    std::string text;
    text.reserve(exeName.size() + 1 + argumentText.size());
    text.append(exeName).append(1, ' ').append(argumentText);

    // Only the blank character counts: tabs and other white space stay inside the words.
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    const std::string_view trimmed = first == std::string::npos
                                         ? std::string_view()
                                         : std::string_view(text).substr(first, last - first + 1);

    // An all-blank command line still yields one (empty) word, so word 0 always exists.
    std::size_t start = 0;
    for (;;) {
        const std::size_t blank = trimmed.find(' ', start);
        if (blank == std::string_view::npos) {
            m_words.emplace_back(trimmed.substr(start));
            break;
        }
        m_words.emplace_back(trimmed.substr(start, blank - start));
        start = blank + 1;
    }
}

CommandLine CommandLine::fromMain(int argc, const char *const *argv) {
    const std::string_view program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            arguments += ' ';
        }
        if (argv[i] != nullptr) {
            arguments += argv[i];
        }
    }
    return CommandLine(executableStem(program), arguments);
}

const std::string &CommandLine::argv(std::int32_t arg) const {
    if (arg < 0 || arg >= argc()) {
        throw AqlError(errc::kApplication, "CommandLine.argv", "arg index out of bounds");
    }
    return m_words[static_cast<std::size_t>(arg)];
}

std::string executableStem(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}

} // namespace aql::shell
