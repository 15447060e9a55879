#pragma once

#include <clocale>
#include <cstring>
#include <string>

namespace aql::test {

// The C library's locale switched to one that writes numbers with a decimal comma, for as long as
// this object lives; the locale before it is restored afterwards. A check that numbers keep their
// point proves nothing when the switch fails, so callers fail the test then instead of passing:
//
//     DecimalCommaLocale comma;
//     ASSERT_TRUE(comma.active()) << DecimalCommaLocale::kMissing;
class DecimalCommaLocale {
public:
    static constexpr const char *kName = "de_DE.UTF-8";
    static constexpr const char *kMissing =
        "the locale de_DE.UTF-8 is not installed, so the decimal-comma check cannot run "
        "(./test installs it; by hand: localedef -i de_DE -f UTF-8 de_DE.UTF-8)";

    DecimalCommaLocale() {
        const char *before = std::setlocale(LC_ALL, nullptr);
        m_saved = before != nullptr ? before : "C";
        m_active = std::setlocale(LC_ALL, kName) != nullptr &&
                   std::strcmp(std::localeconv()->decimal_point, ",") == 0;
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, m_saved.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale &) = delete;
    DecimalCommaLocale &operator=(const DecimalCommaLocale &) = delete;

    bool active() const { return m_active; }

private:
    std::string m_saved;
    bool m_active = false;
};

} // namespace aql::test
