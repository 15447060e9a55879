#pragma once

namespace aql::platform {

// A window kept above every other window of the desktop, as the program's small tool windows
// (the log window, About, the configuration) are, so that the operator cannot lose them behind
// the main window while they wait for an answer. The window keeps its place and size.
class TopmostWindow {
public:
    virtual ~TopmostWindow() = default;
    virtual void makeTopmost() = 0;
    virtual bool isTopmost() const = 0;
};

} // namespace aql::platform
