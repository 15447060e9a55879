#pragma once

#include "platform/MessageBox.h"

#include <ostream>
#include <string>

namespace aql::cli {

// Message boxes of a tool without a window: the text goes to a stream (stderr) as "message: "
// and the text, line breaks as the platform writes them, and the box answers OK at once. The box's
// title (the program's name and version) is left out; an error number other than 0 in it is kept. A
// message repeated straight after itself is counted instead of printed again, and the count follows
// once another message comes or the box is flushed.
class StreamMessageBox : public platform::MessageBox {
public:
    explicit StreamMessageBox(std::ostream &out) : m_out(out) {}
    ~StreamMessageBox() override { flush(); }
    StreamMessageBox(const StreamMessageBox &) = delete;
    StreamMessageBox &operator=(const StreamMessageBox &) = delete;

    int show(const std::string &text, int style, const std::string &title) override;
    // Prints the count of repeats not yet told.
    void flush();

    const std::string &lastText() const { return m_last; }
    int count() const { return m_count; }

private:
    std::ostream &m_out;
    std::string m_last;
    std::string m_lastShown; // as printed, prefix and number included
    int m_count = 0;
    int m_repeats = 0;
};

} // namespace aql::cli
