#pragma once

#include "platform/MessageBox.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace aql::shell {

// The numbered table of user-visible texts, read from a language file. Entries are numbered by
// their position in the file, from 1; the number written in front of each text is checked but not
// used for the lookup.
class LanguageTexts {
public:
    // Limits that keep a damaged or hostile file from exhausting memory; going past one is a read
    // failure like any other.
    static constexpr std::size_t kMaxLineLength = 64u * 1024u;
    static constexpr std::size_t kMaxEntries = 100000;
    static constexpr std::size_t kMaxTextBytes = 16u * 1024u * 1024u;

    // Read failures are shown through `box`, which must outlive the table.
    explicit LanguageTexts(platform::MessageBox &box);

    // Appends the entries of the language file at `path`. Lines before the line "[begin]" are
    // skipped; each later line is number "|" text. Lines may end in CR LF, LF or CR. Any failure
    // (file missing or unreadable, no "[begin]", a line without "|", a number outside 16 bits, a
    // limit above) stops the reading, keeps the entries read so far and shows
    // "Text couldn't be read" CR LF `path` with the critical style.
    void readFile(const std::string &path);

    // The same over the file's bytes already in memory; `name` only names it in the message.
    void readText(std::string_view bytes, const std::string &name);

    // Entry n (1-based), or "####-" n "-####" for a number without an entry. Never fails.
    std::string getText(std::int32_t n) const;

    std::size_t count() const { return m_entries.size(); }

private:
    // True when the whole stream was read without a failure.
    bool readEntries(std::istream &in);
    void reportFailure(const std::string &name);

    platform::MessageBox &m_box;
    std::vector<std::string> m_entries;
    std::size_t m_textBytes = 0;
};

} // namespace aql::shell
