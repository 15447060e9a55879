#pragma once

#include "platform/MessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace aql::fuzz {

// Aborts, saying why and on what input, when a property does not hold.
inline void check(bool holds, const char *why = "", std::string_view input = "") {
    if (!holds) {
        std::fprintf(stderr, "%s\n%.*s\n", why, static_cast<int>(input.size()), input.data());
        std::abort();
    }
}

// A message box that counts what it is shown and aborts on anything but an error box (style 16)
// with the expected text, when one is given.
class CountingBox : public platform::MessageBox {
public:
    explicit CountingBox(std::string expected = {}) : m_expected(std::move(expected)) {}
    int show(const std::string &text, int style, const std::string &) override {
        if (style != 16 || (!m_expected.empty() && text != m_expected)) {
            std::abort();
        }
        ++shown;
        return platform::kResultOk;
    }
    int shown = 0;

private:
    std::string m_expected;
};

} // namespace aql::fuzz
