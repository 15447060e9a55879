#pragma once

// Stand-ins for what the windows ask of the desktop: file dialogs that answer from a script,
// a file opener that records what it was asked to open, a window that only notes whether it was
// put on top.

#include "platform/FileDialog.h"
#include "platform/FileOpener.h"
#include "platform/TopmostWindow.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace aql::test {

class ScriptedFileDialog : public platform::FileDialog {
public:
    // The next dialogs' answers, in order; nullopt is Cancel. With none left, every dialog is
    // cancelled.
    void answer(std::optional<std::string> path) { m_answers.push_back(std::move(path)); }

    std::optional<std::string> openFile(const std::string &, const std::string &) override {
        calls.push_back(false);
        return next();
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        calls.push_back(true);
        return next();
    }

    std::vector<bool> calls; // one per dialog shown: whether it was a save dialog

private:
    std::optional<std::string> next() {
        if (m_answers.empty()) {
            return std::nullopt;
        }
        auto path = m_answers.front();
        m_answers.pop_front();
        return path;
    }

    std::deque<std::optional<std::string>> m_answers;
};

class RecordingFileOpener : public platform::FileOpener {
public:
    bool open(const std::filesystem::path &file) override {
        opened.push_back(file);
        return starts;
    }
    std::vector<std::filesystem::path> opened;
    bool starts = true; // whether a program could be started
};

class FakeTopmostWindow : public platform::TopmostWindow {
public:
    void makeTopmost() override { topmost = true; }
    bool isTopmost() const override { return topmost; }
    bool topmost = false;
};

} // namespace aql::test
