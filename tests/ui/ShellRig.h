#pragma once

#include "platform/FileDialog.h"
#include "shell/MainController.h"
#include "support/DiskFileSaver.h"
#include "support/LinkFakes.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"

#include <QTest>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace aql::test {

class NoFileDialog : public platform::FileDialog {
public:
    std::optional<std::string> openFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
};

// The main window's logic on fakes, in a program folder holding the real language files and a
// site file, started as the program starts.
struct ShellRig {
    TempDir dir;
    FakePump pump;
    FakeSocket socket{pump};
    ManualTimerFactory timers;
    RecordingMessageBox box;
    CountingBeep beep;
    FixedClock clock;
    MemorySettings settings;
    NoFileDialog dialog;
    DiskFileSaver files;
    std::unique_ptr<shell::MainController> main;

    explicit ShellRig(const std::string &siteFile) {
        for (const char *language : {"English.lng", "Nederlands.lng"}) {
            std::filesystem::copy_file(std::filesystem::path(AQL_RESOURCES_DIR) / language,
                                       dir / language);
        }
        writeBytes(dir / "config.xml", siteFile);
        main = std::make_unique<shell::MainController>(
            shell::ShellServices{{socket, timers, pump, box, beep, clock}, settings, dialog, files},
            dir.path(), shell::CommandLine("AQLRemote", ""));
        started = !main->start().has_value();
    }

    std::string siteFile() const { return readBytes(dir / "config.xml"); }

    bool started = false;
};

// Shows a window and waits until it is on screen, so focus and clicks take the real path.
inline bool showAndWait(QWidget &window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

} // namespace aql::test
