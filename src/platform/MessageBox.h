#pragma once

#include <string>

namespace aql::platform {

// Message box styles: button set plus icon, as the program has always numbered them.
namespace style {
constexpr int kOkOnly = 0;
constexpr int kCritical = 16;         // OK, critical-error icon
constexpr int kQuestionOkCancel = 33; // OK and Cancel, question icon
} // namespace style

// Results: the button pressed. Closing the box counts as Cancel when Cancel is offered.
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

// The platform's modal message box. Text may hold CR LF line breaks; an empty title means the
// program's own title.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual int show(const std::string &text, int style, const std::string &title = {}) = 0;
};

} // namespace aql::platform
