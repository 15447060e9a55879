#pragma once

// Stand-ins for what the windows ask of the desktop: file dialogs that answer from a script,
// a file opener that records what it was asked to open, a window that only counts how often it
// was put on top.

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
    struct Call {
        bool save;
        std::string initialFolder;
        std::string filter;
    };

    // The next dialogs' answers, in order; nullopt is Cancel. With none left, every dialog is
    // cancelled.
    void answer(std::optional<std::string> path) { m_answers.push_back(std::move(path)); }

    std::optional<std::string> openFile(const std::string &initialFolder,
                                        const std::string &filter) override {
        calls.push_back({false, initialFolder, filter});
        return next();
    }
    std::optional<std::string> saveFile(const std::string &initialFolder,
                                        const std::string &filter) override {
        calls.push_back({true, initialFolder, filter});
        return next();
    }

    std::vector<Call> calls;

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

class CountingTopmostWindow : public platform::TopmostWindow {
public:
    void makeTopmost() override {
        ++calls;
        topmost = true;
    }
    bool isTopmost() const override { return topmost; }
    int calls = 0;
    bool topmost = false;
};

} // namespace aql::test
