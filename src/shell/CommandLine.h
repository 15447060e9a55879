#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aql::shell {

// The program's command line as words: word 0 is the executable's name without its extension,
// the rest are the arguments. The text is trimmed of blanks at both ends and split at every
// single blank, so two blanks in a row give an empty word and a blank inside the executable's name
// splits it; quotation marks mean nothing.
class CommandLine {
public:
    // `exeName` without folder and extension; `argumentText` as the platform passes it.
    CommandLine(std::string_view exeName, std::string_view argumentText);

    // From main()'s arguments: the file name of argv[0] without folder and extension, and the
    // remaining arguments joined by single blanks.
    static CommandLine fromMain(int argc, const char *const *argv);

    // Number of words, the program's name included; at least 1.
    std::int32_t argc() const { return static_cast<std::int32_t>(m_words.size()); }

    // Word `arg`; outside 0..argc()-1: AqlError 20000 "CommandLine.argv",
    // "arg index out of bounds".
    const std::string &argv(std::int32_t arg) const;

private:
    std::vector<std::string> m_words;
};

// The file name in `path` (after the last "/" or "\") without its extension (from its last ".").
std::string executableStem(std::string_view path);

} // namespace aql::shell
