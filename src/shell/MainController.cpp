#include "shell/MainController.h"

#include "core/Error.h"
#include "shell/FileReader.h"
#include "shell/SettingsStore.h"

#include <cctype>
#include <system_error>

namespace aql::shell {

namespace {

bool sixDigits(const std::string &code) {
    if (code.size() != 6) {
        return false;
    }
    for (char c : code) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

} // namespace

MainController::MainController(ShellServices services, std::filesystem::path programFolder,
                       CommandLine commandLine, link::ProgramInfo info)
    : console(
          services.link, [this](int n) { return getText(n); }, info),
      m_services(services), m_programFolder(std::move(programFolder)),
      m_commandLine(std::move(commandLine)), m_info(std::move(info)),
      m_language(std::make_unique<LanguageTexts>(services.link.messageBox)) {
    console.setEndpointProvider([this] { return endpoint(); });
    link::ConnectionModes::Hooks modeHooks;
    modeHooks.configEditing = [this](bool editable) {
        if (m_configuration) {
            m_configuration->setEditingAllowed(editable);
        }
    };
    console.modes.setHooks(std::move(modeHooks));
}

MainController::~MainController() = default;

std::string MainController::getText(int n) const {
    return m_language->getText(n);
}

void MainController::notify() const {
    if (changed) {
        changed();
    }
}

std::optional<StartFailure> MainController::start() {
    std::string message;
    try {
        programStart();
        Form_Load();
        return std::nullopt;
    } catch (const AqlError &e) {
        message = e.source().empty() ? e.description() : e.source() + "\r\n" + e.description();
    } catch (const std::exception &e) {
        message = e.what();
    }
    message = std::string(kProductCaption) + " cannot start.\r\n\r\n" + message;
    m_services.link.messageBox.show(message, platform::style::kCritical);
    return StartFailure{message};
}

void MainController::programStart() {
    SettingsStore reg(m_services.settings);
    if (reg.ReadKey(kLanguageSetting).empty()) {
        reg.CreateKey(kLanguageSetting, kEnglishFile);
    }
    m_language = std::make_unique<LanguageTexts>(m_services.link.messageBox);
    m_language->ReadLanguage((m_programFolder / reg.ReadKey(kLanguageSetting)).u8string());
}

config::ConfigTargets MainController::targets() {
    config::ConfigTargets t{pools, cmbPools, editList};
    t.configSelector = m_configuration ? m_configuration->readerSelection() : nullptr;
    t.runNewAction = [this] { configuration().addSystem(); };
    t.hideProjectControls = [this] {
        mnuConfigurationVisible = false;
        mnustripe1Visible = false;
        cmbPoolsVisible = false;
        lblSelectSystemVisible = false;
    };
    t.programFolder = m_programFolder;
    return t;
}

void MainController::Form_Load() {
    SettingsStore reg(m_services.settings);

    // 2: the data folder; any failure is no reason not to start.
    reg.CreateKey(kDataDirSetting, m_programFolder.u8string());
    std::error_code ignored;
    std::filesystem::create_directory(m_programFolder / "Data", ignored);

    // 3: the language menu's checks follow the setting exactly.
    const std::string language = reg.ReadKey(kLanguageSetting);
    if (language == kEnglishFile) {
        mnuENGChecked = true;
        mnuNEDChecked = false;
    } else if (language == kDutchFile) {
        mnuNEDChecked = true;
        mnuENGChecked = false;
    }

    Filltext();

    // 5-6: a fresh communication object and pool list. The connection machinery stays, so the
    // windows keep their references; only its state starts again.
    console.comms.setOperatingMode(link::mode::kCreated);
    console.setCurrentPool(nullptr, 0);
    m_currentPool = nullptr;
    pools.clear();

    // 7: site or project mode.
    config::ConfigTargets t = targets();
    if (m_commandLine.argc() < 2) {
        m_values.configPath = (m_programFolder / "config.xml").u8string();
        m_values.systemId.clear();
        m_values.projectCode = m_values.systemCode = m_values.poolCode = "0";
        config::loadSiteConfig(m_values.configPath, m_values, t,
                               [this](int n) { return getText(n); });
    } else {
        m_values.configPath = reg.ReadKey(kDatabaseSetting) + kSeparator + "config.xml";
        m_values.systemId = m_commandLine.argv(1);
        if (!sixDigits(m_values.systemId)) {
            // The codes index the project tables; anything but ppssnn would address nothing.
            throw AqlError(errc::kApplication, "CommandLine",
                           "The system code \"" + m_values.systemId +
                               "\" on the command line must be six digits: project, system and "
                               "pool, two digits each (for example 010203).");
        }
        m_values.projectCode = m_values.systemId.substr(0, 2);
        m_values.systemCode = m_values.systemId.substr(2, 2);
        m_values.poolCode = m_values.systemId.substr(m_values.systemId.size() - 2);
        config::loadProjectConfig(m_values.configPath, m_values, t,
                                  [this](int n) { return getText(n); });
        if (pools.empty()) {
            std::string problem = m_values.projectFileProblem.empty() ? "it lists no pool"
                                                                      : m_values.projectFileProblem;
            throw AqlError(errc::kApplication, getText(57),
                           getText(58) + " " + m_values.configPath + "\r\n" + problem);
        }
    }
    selectFirstPool();

    // 8-11.
    console.panel.optOnLineSelected = false;
    console.modes.optOffLine_Click();
    console.panel.dataReceived = true;
    console.panel.cursorPosition = 0;
    console.panel.cells.fill('\0');
    console.panel.cellPainted.fill(false);
    console.modes.tmrComms().setEnabled(true);
    console.remote.tmrCursor().setEnabled(true);

    // 12: the selection box shows the selected pool's name.
    const std::string &name = m_values.tables.poolAttribute(
        std::stoi(m_values.projectCode), std::stoi(m_values.systemCode),
        std::stoi(m_values.poolCode), config::ProjectTables::kNameAttribute);
    bool selected = false;
    for (std::size_t i = 0; i < cmbPools.size() && !selected; ++i) {
        if (cmbPools[i] == name) {
            cmbPools_Click(static_cast<int>(i));
            selected = true;
        }
    }
    if (!selected && !m_values.systemId.empty()) {
        // Going Online would connect to whatever an empty table entry says.
        throw AqlError(errc::kApplication, getText(57),
                       getText(58) + " " + m_values.configPath + "\r\nthe system code " +
                           m_values.systemId + " names no pool of this file");
    }

    notify();
    // 13: project mode goes Online at once.
    if (!m_values.systemId.empty()) {
        console.modes.selectOnLine();
    }
}

void MainController::selectFirstPool() {
    console.panel.cells.fill('\0');
    console.panel.notify();
    m_services.link.pump.processEvents();
    if (pools.empty()) {
        throw AqlError(errc::kApplication, getText(57),
                       getText(58) + " " + m_values.configPath + "\r\nit lists no system");
    }
    m_currentPool = &pools.item(1);
    const std::int32_t address = m_currentPool->address();
    if (address < 0 || address > 255) {
        throw AqlError(errc::kOverflow, getText(57),
                       getText(58) + " " + m_values.configPath + "\r\nthe address " +
                           std::to_string(address) + " of system \"" + m_currentPool->name() +
                           "\" is outside 0-255");
    }
    console.setCurrentPool(&m_currentPool->records(), static_cast<std::uint8_t>(address));
    currentPoolName = m_currentPool->name();
    if (windows.logWindowPool) {
        windows.logWindowPool(m_currentPool);
    }
}

void MainController::cmbPools_Click(int index) {
    cmbPoolsIndex = index;
    if (m_values.systemId.empty()) {
        m_values.poolCode = std::to_string(index);
    } else {
        title = "Velmaro AQL - " + m_values.tables.poolAttribute(
                                       std::stoi(m_values.projectCode),
                                       std::stoi(m_values.systemCode), std::stoi(m_values.poolCode),
                                       config::ProjectTables::kNameAttribute);
    }
    if (m_configuration) {
        m_configuration->clearFields();
    }
    if (m_currentPool) {
        m_currentPool->records().clear();
    }
    console.panel.optOnLineEnabled = true;
    console.panel.notify();
    notify();
}

std::pair<std::string, std::string> MainController::endpoint() const {
    try {
        const int p = std::stoi(m_values.projectCode);
        const int s = std::stoi(m_values.systemCode);
        const int n = std::stoi(m_values.poolCode);
        return {m_values.tables.poolAttribute(p, s, n, config::ProjectTables::kIpAttribute),
                m_values.tables.poolAttribute(p, s, n, config::ProjectTables::kPortAttribute)};
    } catch (const std::exception &) {
        return {}; // no such pool: the connect fails with an address error
    }
}

void MainController::Filltext() {
    auto t = [this](int n) { return getText(n); };
    captions.mnuFile = t(1);
    captions.mnuOptions = t(2);
    captions.mnuHelp = t(3);
    captions.mnuConfiguration = t(4);
    captions.mnuExit = t(6);
    captions.mnuRealtime = t(7);
    captions.mnuON = t(8);
    captions.mnuOFF = t(9);
    captions.mnuBase = t(10);
    captions.mnuHelpAbout = t(11);
    captions.lblRun = t(12);
    captions.lblAlarm = t(13);
    captions.lblManual = t(14);
    captions.lblSelectSystem = t(15);
    captions.lblConnecting = t(202);
    captions.optOffLine = t(16);
    captions.optOffLineTip = t(114);
    captions.optOnLine = t(17);
    captions.optOnLineTip = t(115);
    captions.optGetLog = t(18);
    captions.optGetLogTip = t(116);
    captions.optProcessLog = t(19);
    captions.optProcessLogTip = t(117);
    captions.mnuLanguage = t(110);
    captions.mnuNED = t(111);
    captions.mnuENG = t(112);
    captions.fraInstellingen.clear();
    if (windows.mainFilltext) {
        windows.mainFilltext();
    }
    notify();
}

void MainController::languageSwitch(const std::string &file) {
    SettingsStore reg(m_services.settings);
    reg.CreateKey(kLanguageSetting, file);
    m_language = std::make_unique<LanguageTexts>(m_services.link.messageBox);
    m_language->ReadLanguage((m_programFolder / reg.ReadKey(kLanguageSetting)).u8string());
    if (file == kDutchFile) {
        mnuNEDChecked = true;
        mnuENGChecked = false;
    } else {
        mnuNEDChecked = false;
        mnuENGChecked = true;
    }
    if (windows.aboutFilltext) {
        windows.aboutFilltext();
    }
    if (m_configuration) {
        m_configuration->retranslate();
    }
    if (windows.configFilltext) {
        windows.configFilltext();
    }
    if (windows.logFilltext) {
        windows.logFilltext();
    }
    Filltext();
    if (windows.tcpFilltext) {
        windows.tcpFilltext();
    }
}

void MainController::mnuNED_Click() {
    languageSwitch(kDutchFile);
}
void MainController::mnuENG_Click() {
    languageSwitch(kEnglishFile);
}

void MainController::mnuBase_Click() {
    if (!m_currentPool) {
        return;
    }
    FileReader reader(m_currentPool->records(), *m_language, m_services.link.messageBox);
    importBaseFile(reader, m_services.fileDialog, m_programFolder.u8string());
    notify();
}

void MainController::CloseAllWindows() {
    if (m_closing) {
        return; // closing a window that is already closing has no further effect
    }
    m_closing = true;
    console.tcp.CloseCon();
    for (const auto &close :
         {windows.closeTcp, windows.closeConfig, windows.closeLog, windows.closeAbout}) {
        if (close) {
            close();
        }
    }
    if (windows.closeMain) {
        windows.closeMain();
    }
}

config::ConfigurationController &MainController::configuration() {
    if (!m_configuration) {
        m_configuration = std::make_unique<config::ConfigurationController>(
            m_values, editList, cmbPools, m_services.link.messageBox,
            [this](int n) { return getText(n); });
        config::ConfigurationController::Hooks hooks;
        hooks.reloadMainWindow = [this] { Form_Load(); };
        hooks.reportError = [this](int text, const AqlError &e) {
            console.error.show(getText(text), e);
        };
        hooks.processEvents = [this] { m_services.link.pump.processEvents(); };
        hooks.beep = [this] { m_services.link.beep.beep(); };
        m_configuration->setHooks(std::move(hooks));
        m_configuration->open(console.panel.optOnLineSelected);
    }
    return *m_configuration;
}

} // namespace aql::shell
