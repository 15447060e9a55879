#pragma once

#include "config/ConfigurationController.h"
#include "config/Pool.h"
#include "config/PoolList.h"
#include "config/SiteConfig.h"
#include "config/SystemList.h"
#include "core/Observers.h"
#include "link/Console.h"
#include "platform/ArchiveFile.h"
#include "platform/FileDialog.h"
#include "platform/FileSaver.h"
#include "platform/SettingsBackend.h"
#include "shell/ArchiveKeeper.h"
#include "shell/CommandLine.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace aql::shell {

constexpr const char *kEnglishFile = "English.lng";
constexpr const char *kDutchFile = "Nederlands.lng";
constexpr const char *kProductCaption = "AQL Remote Console";

struct ShellServices {
    link::PlatformServices link;
    platform::SettingsBackend &settings;
    platform::FileDialog &fileDialog;
    platform::FileSaver &files; // every whole file the program writes
    // The log archives of the pools; null: downloads are not archived.
    platform::ArchiveStorage *archives = nullptr;
};

// The main window's texts in the current language.
struct MainCaptions {
    // Menus.
    std::string fileMenu, configurationEntry, exitEntry;
    std::string optionsMenu, realtimeMenu, realtimeOn, realtimeOff, baseFileEntry;
    std::string openArchiveEntry, trendEntry, reconnectEntry;
    std::string languageMenu, dutchEntry, englishEntry;
    std::string helpMenu, aboutEntry;
    // The panel.
    std::string runLamp, alarmLamp, manualLamp;
    std::string selectSystem, connecting;
    std::string offline, offlineTip, online, onlineTip;
    std::string getLog, getLogTip, save, saveTip;
    std::string modePanel; // the frame around the mode panel: no caption
    // Entries whose captions are the same in every language.
    std::string overviewEntry = "Overview";
    std::string variablesEntry = "Variables";
};

// How start-up ended when it could not bring the program up.
struct StartFailure {
    std::string message; // shown to the operator: which file, what is wrong
};

// The program's start and the main window's logic: the language, the settings, the site or
// project configuration, the pool being operated, the menus, the language switch and shut-down.
// The controller side of the window is the console; the window draws both views and calls the
// actions of both.
class MainController {
public:
    struct View {
        std::string title = kProductCaption;
        std::vector<std::string> poolNames; // the entries of the pool selection
        int poolIndex = -1;
        bool poolSelectionVisible = true;      // the selection and its label; not in project mode
        bool configurationEntryVisible = true; // the menu entry and its separator
        bool openArchiveVisible = false;       // only where downloads are archived
        bool trendEntryVisible = false;        // only where this build has the trend window
        bool reconnectChecked = false;         // reconnecting by itself after a loss is on
        bool dutchChecked = false;
        bool englishChecked = false;
        std::string currentPoolName;
        MainCaptions captions;
    };

    // What the other windows do when the main window asks; each hook left empty does nothing.
    // The hooks that open a window modally return once it has been closed.
    struct Windows {
        std::function<void()> openLogWindow;     // Save: the log window on the current pool, modal
        std::function<void()> saveRealtimeCsv;   // the log window's real-time export
        std::function<void()> openConfiguration; // modal
        std::function<void()> openRecordTable;   // the record table of the current pool
        std::function<void()> openVariables;     // the variables window, loaded already
        std::function<void()> openAbout;         // modal
        std::function<void()> openConnection;    // the connection window, shown already
        // The trend window on the current pool's records; left empty where this build has none.
        std::function<void()> openTrend;
        std::function<void()> retranslateTrend;
        std::function<void()> closeTrend;
        std::function<void()> retranslateAbout;
        std::function<void()> retranslateConfiguration;
        std::function<void()> retranslateLog;
        std::function<void()> retranslateVariables;
        std::function<void(config::Pool *)> currentPoolChanged; // the log window's pool
        std::function<void()> closeConnection;
        std::function<void()> closeConfiguration;
        std::function<void()> closeLog;
        std::function<void()> closeAbout;
        std::function<void()> closeVariables;
        std::function<void()> closeRecordTable;
        std::function<void()> closeMain;
    };

    MainController(ShellServices services, std::filesystem::path programFolder,
                   CommandLine commandLine, link::ProgramInfo info = {});
    ~MainController();
    MainController(const MainController &) = delete;
    MainController &operator=(const MainController &) = delete;

    const View &view() const { return m_view; }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }
    // Replaces every window hook (the configuration window's lock while Online stays wired).
    // The trend entry shows only when the hooks can open a trend window.
    void setWindows(Windows windows);

    // The language, then the main window's load, with the failures that leave the program unable
    // to work (configuration unreadable, no pool, an address beyond one byte) turned into a
    // message and a StartFailure instead of an unhandled error.
    std::optional<StartFailure> start();

    // Reads the language file the settings name (English the first time).
    void loadLanguage();
    // The main window's load: settings (the reconnect switch among them), configuration, the first
    // pool, Offline; project mode then goes Online, retrying a failed connect when reconnecting
    // is on. Raises what the configuration readers raise.
    void load();
    // The selection handling: the connection follows entry `index`, the records held go.
    void selectPool(int index);
    void retranslate();
    void chooseDutch();
    void chooseEnglish();
    // Closes the connection, then every window; the main window last.
    void closeAll();

    // What the operator does in the menus and on the window. Each does nothing while its menu or
    // control is disabled or hidden.
    // Another entry of the pool selection; asks before unsaved records go. The entry already
    // selected changes nothing.
    void choosePool(int index);
    // The configuration window, modal, with nothing selected each time it opens.
    void openConfiguration();
    void openOverview();
    // The trend window on the records held, as they stand now.
    void openTrend();
    void openVariables();
    // Replaces the current pool's records by those of a stored record file the operator picks;
    // asks before unsaved records go.
    void importBaseFile();
    // Loads the log archive of the system the records come from into the records held, by their
    // insertion rule, and says how many were loaded and how many were not because a record held
    // has their number.
    void openArchive();
    void openAbout();
    void openConnectionWindow();
    // The Options entry: reconnecting by itself after a lost connection, remembered in the
    // settings.
    void chooseReconnect(bool on);
    // Exit and the close box: asks before unsaved records go, then closes everything.
    void exit();
    bool closing() const { return m_closing; }

    // The records held were written to a file (the log window's saves): leaving them is safe now.
    void markSaved();
    // Records are held that no save has written since they arrived.
    bool unsavedRecords() const;
    // The system the records held were downloaded from: the one the selection named then (a new
    // selection empties them). The current pool only lends its record list and frame address, so
    // exports and the log window name this one. Null before the configuration is read.
    const config::Pool *recordsSource() const;

    // The configuration window, created and loaded on first use.
    config::ConfigurationController &configuration();
    bool configurationLoaded() const { return m_configuration != nullptr; }

    link::Console &console() { return m_console; }
    const link::Console &console() const { return m_console; }

    std::string getText(int n) const;
    const std::filesystem::path &programFolder() const { return m_programFolder; }
    config::Pool *currentPool() const { return m_currentPool; }
    const config::PoolList &pools() const { return m_pools; }
    const config::SystemList &systems() const { return m_systems; }
    const config::ConfigValues &values() const { return m_values; }
    const CommandLine &commandLine() const { return m_commandLine; }
    const LanguageTexts &language() const { return *m_language; }
    const link::ProgramInfo &info() const { return m_info; }
    // What the program's windows save and ask through: the file saver, the file dialog and the
    // message box, each standing in front of the window the operator works in.
    const ShellServices &services() const { return m_services; }
    // The log archive; null when downloads are not archived.
    const ArchiveKeeper *archive() const { return m_archive.get(); }

private:
    bool projectMode() const { return !m_values.systemId.empty(); }
    void changed() const { m_notifier.notify(); }

    // The steps of the load.
    void rememberProgramFolder(SettingsStore &settings);
    void showActiveLanguage(const std::string &languageFile);
    void restartLink();
    void readConfiguration(SettingsStore &settings);
    void readSiteConfiguration();
    void readProjectConfiguration(SettingsStore &settings);
    void selectFirstPool();
    void selectConfiguredPool();

    void switchLanguage(const std::string &file);
    // True when no unsaved record would be lost, or the operator agrees to lose them.
    bool mayDiscardRecords();
    void forgetSavedRecords();
    // The archive follows the system the records come from.
    void openSourceArchive();
    void watchMode();
    void readLanguageFile(SettingsStore &settings);
    // An attribute of the pool the selection codes name.
    const std::string &selectedPoolAttribute(int attribute) const;
    link::Console::Endpoint endpoint() const;
    config::ConfigTargets configTargets();
    // The configuration file cannot serve: source and text name the file, `problem` says why.
    AqlError configurationError(int number, const std::string &problem) const;

    ShellServices m_services;
    std::filesystem::path m_programFolder;
    CommandLine m_commandLine;
    link::ProgramInfo m_info;
    View m_view;
    ChangeNotifier m_notifier;
    Windows m_windows;
    std::unique_ptr<LanguageTexts> m_language;
    link::Console m_console;
    config::PoolList m_pools;
    config::SystemList m_systems; // the site's systems as the configuration window edits them
    config::ConfigValues m_values;
    config::Pool *m_currentPool = nullptr;
    std::unique_ptr<config::ConfigurationController> m_configuration;
    std::unique_ptr<ArchiveKeeper> m_archive;
    Subscription m_modeWatch;
    bool m_wasOnline = false;
    bool m_closing = false;
    std::size_t m_savedRecords = 0; // of the current pool's records, how many a save has written
};

} // namespace aql::shell
