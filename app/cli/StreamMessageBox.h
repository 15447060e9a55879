#pragma once

#include "platform/MessageBox.h"

#include <ostream>
#include <string>

namespace aql::cli {

// Message boxes of a tool without a window: the text goes to a stream (stderr), line breaks as
// the platform writes them, and the box answers OK at once. Every message is also remembered so
// the tool can end with the reason.
class StreamMessageBox : public platform::MessageBox {
public:
    explicit StreamMessageBox(std::ostream &out) : m_out(out) {}
    int show(const std::string &text, int style, const std::string &title) override;
    const std::string &lastText() const { return m_last; }
    int count() const { return m_count; }

private:
    std::ostream &m_out;
    std::string m_last;
    int m_count = 0;
};

} // namespace aql::cli
