#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace aql::test {

// A message box that records every call and answers from a script (OK once the script runs out).
class ScriptedMessageBox : public platform::MessageBox {
public:
    struct Shown {
        std::string text;
        int style;
        std::string title;
    };

    int show(const std::string &text, int style, const std::string &title = {}) override {
        shown.push_back({text, style, title});
        if (answers.empty()) {
            return platform::kResultOk;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Shown> shown;
    std::deque<int> answers;
};

} // namespace aql::test
