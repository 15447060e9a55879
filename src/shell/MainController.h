#pragma once

#include "config/ConfigurationController.h"
#include "config/SystemList.h"
#include "config/Pool.h"
#include "config/PoolList.h"
#include "config/SiteConfig.h"
#include "link/Console.h"
#include "platform/FileDialog.h"
#include "platform/SettingsBackend.h"
#include "shell/CommandLine.h"
#include "shell/LanguageTexts.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace aql::shell {

// Setting paths.
constexpr const char *kLanguageSetting = "HKCU\\Software\\Remote\\Language";
constexpr const char *kDataDirSetting = "HKCU\\Software\\Remote\\DataDir";
constexpr const char *kDatabaseSetting = "HKCU\\Software\\Monitor\\Database";
constexpr const char *kEnglishFile = "English.lng";
constexpr const char *kDutchFile = "Nederlands.lng";
constexpr const char *kProductCaption = "AQL Remote Console";

struct ShellServices {
    link::PlatformServices link;
    platform::SettingsBackend &settings;
    platform::FileDialog &fileDialog;
};

// The main window's language texts, as Filltext sets them.
struct MainCaptions {
    std::string mnuFile, mnuOptions, mnuHelp, mnuConfiguration, mnuExit, mnuRealtime, mnuON, mnuOFF,
        mnuBase, mnuHelpAbout, lblRun, lblAlarm, lblManual, lblSelectSystem, lblConnecting,
        optOffLine, optOffLineTip, optOnLine, optOnLineTip, optGetLog, optGetLogTip, optProcessLog,
        optProcessLogTip, mnuLanguage, mnuNED, mnuENG, fraInstellingen;
};

// How start-up ended when it could not bring the program up.
struct StartFailure {
    std::string message; // shown to the operator: which file, what is wrong
};

// The program's start and the logic of the main window `frmMain`: language, settings, the
// configuration, the pool being operated, the menus, the language switch and shut-down. The
// controller side lives in `console`; the widgets draw both and forward events here.
class MainController {
public:
    // Hooks into the other windows, set by whoever shows them.
    struct Windows {
        std::function<void()> aboutFilltext;
        std::function<void()> configFilltext;
        std::function<void()> logFilltext;
        std::function<void()> tcpFilltext;
        std::function<void()> mainFilltext; // the widget re-reads `captions`
        std::function<void(config::Pool *)> logWindowPool;
        std::function<void()> closeTcp, closeConfig, closeLog, closeAbout, closeMain;
    };

    MainController(ShellServices services, std::filesystem::path programFolder,
               CommandLine commandLine, link::ProgramInfo info = {});
    ~MainController();

    // Program start steps 1-2 and the first load, with the failures that leave the program
    // unable to work (configuration unreadable, no pool, an address beyond one byte) turned into
    // a message and a StartFailure instead of an unhandled error.
    std::optional<StartFailure> start();

    void programStart();
    // The main window's load; raises what the configuration readers raise.
    void Form_Load();
    void selectFirstPool();
    void cmbPools_Click(int index);
    void Filltext();

    void mnuNED_Click();
    void mnuENG_Click();
    void mnuBase_Click();
    void CloseAllWindows();

    // The configuration window, created and loaded on first use.
    config::ConfigurationController &configuration();
    bool configurationLoaded() const { return m_configuration != nullptr; }

    std::string getText(int n) const;
    const std::filesystem::path &programFolder() const { return m_programFolder; }
    config::Pool *currentPool() const { return m_currentPool; }
    config::ConfigValues &values() { return m_values; }
    const CommandLine &commandLine() const { return m_commandLine; }
    LanguageTexts &language() { return *m_language; }
    const link::ProgramInfo &info() const { return m_info; }

    Windows windows;
    link::Console console;
    config::PoolList pools;
    config::SystemList editList;
    std::vector<std::string> cmbPools; // the selection box's entries
    int cmbPoolsIndex = -1;
    bool cmbPoolsVisible = true;
    bool lblSelectSystemVisible = true;
    bool mnuConfigurationVisible = true;
    bool mnustripe1Visible = true;
    bool mnuENGChecked = false;
    bool mnuNEDChecked = false;
    std::string title = kProductCaption;
    std::string currentPoolName;
    MainCaptions captions;
    std::function<void()> changed;

private:
    void notify() const;
    void languageSwitch(const std::string &file);
    std::pair<std::string, std::string> endpoint() const;
    config::ConfigTargets targets();

    ShellServices m_services;
    std::filesystem::path m_programFolder;
    CommandLine m_commandLine;
    link::ProgramInfo m_info;
    std::unique_ptr<LanguageTexts> m_language;
    config::ConfigValues m_values;
    config::Pool *m_currentPool = nullptr;
    std::unique_ptr<config::ConfigurationController> m_configuration;
    bool m_closing = false;
};

} // namespace aql::shell
