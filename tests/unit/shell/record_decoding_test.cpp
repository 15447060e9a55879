#include "shell/MainController.h"

#include "support/DiskFileSaver.h"
#include "support/LinkFakes.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"
#include "unit/link/LinkRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

using namespace aql;
using namespace aql::test;

namespace {

class NoFileDialog : public platform::FileDialog {
public:
    std::optional<std::string> openFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
};

// A program folder with a site file and a project file that both name a controller at address 1.
struct Program {
    TempDir dir;
    TempDir projectDir;
    FakePump pump;
    FakeSocket socket{pump};
    ManualTimerFactory timers;
    RecordingMessageBox box;
    CountingBeep beep;
    FixedClock clock;
    MemorySettings settings;
    NoFileDialog dialog;
    aql::test::DiskFileSaver files;
    std::unique_ptr<shell::MainController> main;

    Program() {
        std::string texts = "texts\r\n[begin]\r\n";
        for (int n = 1; n <= 203; ++n) {
            texts += std::to_string(n) + "|T" + std::to_string(n) + "\r\n";
        }
        writeBytes(dir / "English.lng", texts);
        writeBytes(dir / "config.xml",
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
                   "<siteName>Oost</siteName><managedSystems>"
                   "<system address=\"1\" ipaddress=\"127.0.0.1\" port=\"4100\" name=\"Bad\"/>"
                   "</managedSystems></aqlRemoteConfig>\r\n");
        writeBytes(projectDir / "config.xml",
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
                   "<UseProject UP=\"1\"/><Update Time=\"x\"/><Project projectname=\"P\">"
                   "<system systemname=\"S\"><pool a0=\"Bad\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" "
                   "a5=\"127.0.0.1\" a6=\"4100\"/></system></Project></aqlRemoteConfig>\r\n");
        shell::SettingsStore(settings).write(shell::SettingKey::ProjectFolder,
                                             projectDir.path().u8string());
    }

    // Starts the program (with `arguments` on its command line), Online, and lets the controller
    // send one log record; returns that record as the log holds it.
    const records::LogRecord &receive(const std::string &arguments, const std::string &record) {
        main = std::make_unique<shell::MainController>(
            shell::ShellServices{{socket, timers, pump, box, beep, clock}, settings, dialog, files},
            dir.path(), shell::CommandLine("AQLRemote", arguments));
        EXPECT_FALSE(main->start());
        main->console().chooseOnline(); // project mode is Online already
        EXPECT_TRUE(main->console().connected());
        socket.deliver(addressedLine(1, record) + "\r");
        const records::RecordList &log = main->currentPool()->records();
        EXPECT_EQ(log.count(), 1u);
        return log.item(1);
    }
};

// A log record whose value block holds its own positions (byte at position i is i), so a value
// read one position off comes out different.
std::string positionNumberedRecord() {
    std::string body = recordBody(4711, 815);
    const std::size_t blockStart = 1 + 4 + 4 + 6;
    for (std::size_t i = 0; i < 68; ++i) {
        body[blockStart + i] = static_cast<char>(i + 1);
    }
    return body;
}

} // namespace

// The controller sends the same bytes however the console was started: a system code on the
// command line changes which pool is operated, never where a value stands in a record.
TEST(RecordDecoding, aConsoleStartedWithASystemCodeDecodesARecordAsAnInteractiveOne) {
    const std::string record = positionNumberedRecord();
    Program interactive;
    const std::string fromInteractive = interactive.receive("", record).toCSV();
    Program project;
    const std::string fromProject = project.receive("000000", record).toCSV();
    EXPECT_EQ(fromProject, fromInteractive);

    // And both as the record layout says: reagent the word at positions 1-2, pH at 11-12.
    const records::LogRecord &r = project.main->currentPool()->records().item(1);
    EXPECT_EQ(r.recordNumber, 815);
    EXPECT_EQ(r.values()->reagent, 1 + 2 * 256);
    EXPECT_FLOAT_EQ(r.values()->pH, (11 + 12 * 256) / 100.0f);
    EXPECT_EQ(r.values()->flow, 21);
    EXPECT_EQ(r.values()->miscellaneousStatus, 48);
}
