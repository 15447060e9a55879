#pragma once

#include "core/TextId.h"
#include "shell/MainController.h"
#include "support/DiskFileSaver.h"
#include "support/LinkFakes.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"
#include "support/WindowFakes.h"

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#ifdef QT_TESTLIB_LIB
#include <QTest>
#include <QWidget>
#endif

namespace aql::test {

// A language file whose text n reads prefix + n.
inline std::string numberedLanguageFile(const std::string &prefix) {
    std::string s = "test texts\r\n[begin]\r\n";
    for (int n = 1; n <= TextId::LastText; ++n) {
        s += std::to_string(n) + "|" + prefix + std::to_string(n) + "\r\n";
    }
    return s;
}

// A site of two systems; the frames carry the first one's address 7, whichever is chosen.
inline const std::string kTwoSystemSite =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
    "<aqlRemoteConfig version=\"1.0\">\r\n"
    "    <siteName>Zwembad Oost</siteName>\r\n"
    "    <managedSystems>\r\n"
    "      <system address=\"7\" ipaddress=\"127.0.0.1\" port=\"4001\" name=\"Main pool\"/>\r\n"
    "      <system address=\"3\" ipaddress=\"127.0.0.2\" port=\"4002\" name=\"Kids pool\"/>\r\n"
    "    </managedSystems>\r\n"
    "</aqlRemoteConfig>\r\n";

// The main window's logic on fakes, in a program folder of its own holding a site file and the
// language files. File dialogs are cancelled unless `dialog` is given answers.
struct ShellRig {
    // The language files shipped with the program, or ones whose text n reads "E<n>" in English
    // and "N<n>" in Dutch.
    enum class Texts { Shipped, Numbered };

    TempDir dir;
    FakePump pump;
    FakeSocket socket{pump};
    ManualTimerFactory timers;
    RecordingMessageBox box;
    CountingBeep beep;
    FixedClock clock;
    MemorySettings settings;
    ScriptedFileDialog dialog;
    DiskFileSaver files;
    platform::ArchiveStorage *archives = nullptr; // set before open() to archive downloads
    std::unique_ptr<shell::MainController> main;
    std::optional<shell::StartFailure> failure;
    bool started = false;

    // Started at once, in English with the shipped texts.
    explicit ShellRig(const std::string &siteFile) : ShellRig(siteFile, Texts::Shipped) { open(); }

    // Not started yet: settings and files can be arranged before open().
    ShellRig(const std::string &siteFile, Texts texts) {
        for (const char *language : {"English.lng", "Nederlands.lng"}) {
            if (texts == Texts::Shipped) {
                std::filesystem::copy_file(std::filesystem::path(AQL_RESOURCES_DIR) / language,
                                           dir / language);
            } else {
                writeBytes(dir / language, numberedLanguageFile(language[0] == 'E' ? "E" : "N"));
            }
        }
        writeBytes(dir / "config.xml", siteFile);
    }

    // Starts the program with `arguments` on its command line, as a new process would.
    shell::MainController &open(const std::string &arguments = "") {
        main.reset();
        main = std::make_unique<shell::MainController>(
            shell::ShellServices{
                {socket, timers, pump, box, beep, clock}, settings, dialog, files, archives},
            dir.path(), shell::CommandLine("AQLRemote", arguments));
        failure = main->start();
        started = !failure;
        return *main;
    }

    // Project mode: the project file in its own folder, which the settings name.
    void useProject(const std::string &projectFile) {
        std::filesystem::create_directory(dir / "project");
        writeBytes(dir / "project" / "config.xml", projectFile);
        remember(shell::SettingKey::ProjectFolder, (dir / "project").u8string());
    }
    std::string setting(shell::SettingKey key) { return shell::SettingsStore(settings).read(key); }
    void remember(shell::SettingKey key, const std::string &value) {
        shell::SettingsStore(settings).write(key, value);
    }
    // Records with these numbers held in the current pool.
    void hold(std::initializer_list<std::int32_t> numbers) {
        for (std::int32_t n : numbers) {
            records::LogRecord r;
            r.recordNumber = n;
            main->currentPool()->records().insert(r);
        }
    }
    std::string siteFile() const { return readBytes(dir / "config.xml"); }
};

#ifdef QT_TESTLIB_LIB
// Shows a window and waits until it is on screen, so focus and clicks take the real path.
inline bool showAndWait(QWidget &window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}
#endif

} // namespace aql::test
