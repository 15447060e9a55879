#include "shell/MainController.h"

#include "config/ArchiveFolder.h"
#include "core/Error.h"
#include "core/TextId.h"
#include "link/Hooks.h"
#include "shell/FileReader.h"

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
    : m_services(services), m_programFolder(std::move(programFolder)),
      m_commandLine(std::move(commandLine)), m_info(std::move(info)),
      m_language(std::make_unique<LanguageTexts>(services.link.messageBox)),
      m_console(
          services.link, [this](int n) { return getText(n); }, m_info) {
    setWindows({});
    m_console.setEndpointProvider([this] { return endpoint(); });
    link::ConnectionModes::Hooks modeHooks;
    modeHooks.allowConfigurationEditing = [this](bool editable) {
        if (m_configuration) {
            m_configuration->setEditingAllowed(editable);
        }
    };
    modeHooks.openLogWindow = [this] { m_windows.openLogWindow(); };
    modeHooks.saveRealtimeCsv = [this] { m_windows.saveRealtimeCsv(); };
    m_console.setModeHooks(std::move(modeHooks));
    if (services.archives != nullptr) {
        m_archive = std::make_unique<ArchiveKeeper>(
            ArchiveServices{*services.archives, services.link.timers, services.link.messageBox},
            [this](int n) { return getText(n); }, m_info);
        m_view.openArchiveVisible = true;
        m_console.setRecordObserver([this](const records::LogRecord &record) {
            if (m_archive) {
                m_archive->take(record);
            }
        });
        m_modeWatch = m_console.subscribe([this] { watchMode(); });
    }
}

MainController::~MainController() = default;

void MainController::setWindows(Windows windows) {
    m_view.trendEntryVisible = static_cast<bool>(windows.openTrend);
    link::keepCallable(windows.openLogWindow);
    link::keepCallable(windows.saveRealtimeCsv);
    link::keepCallable(windows.retranslateAbout);
    link::keepCallable(windows.retranslateConfiguration);
    link::keepCallable(windows.retranslateLog);
    link::keepCallable(windows.retranslateVariables);
    link::keepCallable(windows.openConfiguration);
    link::keepCallable(windows.openRecordTable);
    link::keepCallable(windows.openVariables);
    link::keepCallable(windows.openAbout);
    link::keepCallable(windows.openConnection);
    link::keepCallable(windows.openTrend);
    link::keepCallable(windows.retranslateTrend);
    link::keepCallable(windows.closeTrend);
    link::keepCallable(windows.currentPoolChanged);
    link::keepCallable(windows.closeConnection);
    link::keepCallable(windows.closeConfiguration);
    link::keepCallable(windows.closeLog);
    link::keepCallable(windows.closeAbout);
    link::keepCallable(windows.closeVariables);
    link::keepCallable(windows.closeRecordTable);
    link::keepCallable(windows.closeMain);
    m_windows = std::move(windows);
    changed();
}

std::string MainController::getText(int n) const {
    return m_language->getText(n);
}

std::optional<StartFailure> MainController::start() {
    std::string message;
    try {
        loadLanguage();
        load();
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

void MainController::loadLanguage() {
    SettingsStore settings(m_services.settings);
    if (settings.read(SettingKey::Language).empty()) {
        settings.write(SettingKey::Language, kEnglishFile);
    }
    readLanguageFile(settings);
    // The connection window exists from the start, so it takes the language from the start.
    m_console.connection().retranslate();
}

void MainController::readLanguageFile(SettingsStore &settings) {
    m_language = std::make_unique<LanguageTexts>(m_services.link.messageBox);
    m_language->readFile((m_programFolder / settings.read(SettingKey::Language)).u8string());
}

void MainController::load() {
    SettingsStore settings(m_services.settings);
    rememberProgramFolder(settings);
    showActiveLanguage(settings.read(SettingKey::Language));
    retranslate();
    restartLink();
    m_console.setReconnect(settings.readSwitch(SettingKey::Reconnect));
    m_view.reconnectChecked = m_console.reconnectEnabled();
    readConfiguration(settings);
    selectFirstPool();
    m_console.startOffline();
    selectConfiguredPool();
    changed();
    if (projectMode()) {
        // Nobody may be at the console to choose Online again after a failed connect.
        m_console.startOnline();
    }
}

void MainController::rememberProgramFolder(SettingsStore &settings) {
    // For the programs that start this one; the data folder beneath it is made when missing. Any
    // failure here is no reason not to start.
    settings.write(SettingKey::ProgramFolder, m_programFolder.u8string());
    std::error_code ignored;
    std::filesystem::create_directory(m_programFolder / "Data", ignored);
}

void MainController::showActiveLanguage(const std::string &languageFile) {
    // A language file of another name checks neither entry and leaves the checks as they were.
    if (languageFile == kEnglishFile) {
        m_view.englishChecked = true;
        m_view.dutchChecked = false;
    } else if (languageFile == kDutchFile) {
        m_view.dutchChecked = true;
        m_view.englishChecked = false;
    }
}

void MainController::restartLink() {
    // The connection machinery stays, so the windows keep their references; only its state and
    // the pool list start again.
    if (m_archive) {
        m_archive->close();
    }
    m_console.restart();
    m_currentPool = nullptr;
    m_pools.clear();
    forgetSavedRecords();
}

void MainController::readConfiguration(SettingsStore &settings) {
    if (m_commandLine.argc() < 2) {
        readSiteConfiguration();
    } else {
        readProjectConfiguration(settings);
    }
}

void MainController::readSiteConfiguration() {
    m_values.configPath = (m_programFolder / "config.xml").u8string();
    m_values.systemId.clear();
    m_values.projectCode = m_values.systemCode = m_values.poolCode = "0";
    config::ConfigTargets targets = configTargets();
    config::loadSiteConfig(m_values.configPath, m_values, targets,
                           [this](int n) { return getText(n); });
}

void MainController::readProjectConfiguration(SettingsStore &settings) {
    m_values.configPath = settings.read(SettingKey::ProjectFolder) + kSeparator + "config.xml";
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
    config::ConfigTargets targets = configTargets();
    config::loadProjectConfig(m_values.configPath, m_values, targets,
                              [this](int n) { return getText(n); });
    if (m_pools.empty()) {
        throw configurationError(errc::kApplication, m_values.projectFileProblem.empty()
                                                         ? "it lists no pool"
                                                         : m_values.projectFileProblem);
    }
}

AqlError MainController::configurationError(int number, const std::string &problem) const {
    return AqlError(number, getText(TextId::ConfigFileSource),
                    getText(TextId::ConfigFileUnreadable) + " " + m_values.configPath + "\r\n" +
                        problem);
}

config::ConfigTargets MainController::configTargets() {
    config::ConfigTargets t{m_pools, m_view.poolNames, m_systems};
    t.configSelector = m_configuration ? m_configuration->readerSelection() : nullptr;
    t.runNewAction = [this] { configuration().addSystem(); };
    t.hideProjectControls = [this] {
        m_view.configurationEntryVisible = false;
        m_view.poolSelectionVisible = false;
    };
    t.programFolder = m_programFolder;
    return t;
}

void MainController::selectFirstPool() {
    m_console.blankDisplay();
    m_services.link.pump.processEvents();
    if (m_pools.empty()) {
        throw configurationError(errc::kApplication, "it lists no system");
    }
    m_currentPool = &m_pools.item(1);
    const std::int32_t address = m_currentPool->address();
    if (address < 0 || address > 255) {
        throw configurationError(errc::kOverflow, "the address " + std::to_string(address) +
                                                      " of system \"" + m_currentPool->name() +
                                                      "\" is outside 0-255");
    }
    m_console.setCurrentPool(&m_currentPool->records(), static_cast<std::uint8_t>(address));
    m_view.currentPoolName = m_currentPool->name();
    m_windows.currentPoolChanged(m_currentPool);
}

void MainController::selectConfiguredPool() {
    const std::string &name = selectedPoolAttribute(config::ProjectTables::kNameAttribute);
    for (std::size_t i = 0; i < m_view.poolNames.size(); ++i) {
        if (m_view.poolNames[i] == name) {
            selectPool(static_cast<int>(i));
            return;
        }
    }
    if (projectMode()) {
        // Going Online would connect to whatever an empty table entry says.
        throw configurationError(errc::kApplication, "the system code " + m_values.systemId +
                                                         " names no pool of this file");
    }
}

const std::string &MainController::selectedPoolAttribute(int attribute) const {
    return m_values.tables.poolAttribute(std::stoi(m_values.projectCode),
                                         std::stoi(m_values.systemCode),
                                         std::stoi(m_values.poolCode), attribute);
}

void MainController::selectPool(int index) {
    m_view.poolIndex = index;
    if (projectMode()) {
        m_view.title =
            "Velmaro AQL - " + selectedPoolAttribute(config::ProjectTables::kNameAttribute);
    } else {
        // The connection follows the selection; the current pool, whose records and address the
        // link uses, stays the first of the list.
        m_values.poolCode = std::to_string(index);
    }
    if (m_configuration) {
        m_configuration->clearFields();
    }
    if (m_currentPool) {
        m_currentPool->records().clear();
    }
    forgetSavedRecords();
    openSourceArchive();
    m_console.allowOnline();
    changed();
}

void MainController::openSourceArchive() {
    const config::Pool *source = recordsSource();
    if (!m_archive || source == nullptr) {
        return;
    }
    m_archive->open(config::archiveFolderOf(m_programFolder, m_values, *source, projectMode()));
}

void MainController::watchMode() {
    // Whatever a download brought is on the disk once the connection is given up.
    const bool online = m_console.view().onlineSelected;
    if (m_wasOnline && !online && m_archive) {
        m_archive->flush();
    }
    m_wasOnline = online;
}

void MainController::choosePool(int index) {
    if (!m_view.poolSelectionVisible || !m_console.view().poolSelectionEnabled ||
        index == m_view.poolIndex || index < 0 ||
        index >= static_cast<int>(m_view.poolNames.size())) {
        return;
    }
    if (!mayDiscardRecords()) {
        changed(); // the selection shows the entry it kept
        return;
    }
    selectPool(index);
}

link::Console::Endpoint MainController::endpoint() const {
    try {
        return {selectedPoolAttribute(config::ProjectTables::kIpAttribute),
                selectedPoolAttribute(config::ProjectTables::kPortAttribute)};
    } catch (const std::exception &) {
        return {}; // no such pool: the connect fails with an address error
    }
}

void MainController::retranslate() {
    auto t = [this](int n) { return getText(n); };
    MainCaptions &c = m_view.captions;
    c.fileMenu = t(TextId::FileMenu);
    c.optionsMenu = t(TextId::OptionsMenu);
    c.helpMenu = t(TextId::HelpMenu);
    c.configurationEntry = t(TextId::ConfigurationEntry);
    c.exitEntry = t(TextId::ExitEntry);
    c.realtimeMenu = t(TextId::RealtimeMenu);
    c.realtimeOn = t(TextId::RealtimeOn);
    c.realtimeOff = t(TextId::RealtimeOff);
    c.baseFileEntry = t(TextId::BaseFileEntry);
    c.openArchiveEntry = t(TextId::OpenArchiveEntry);
    c.trendEntry = t(TextId::TrendTitle);
    c.reconnectEntry = t(TextId::ReconnectEntry);
    c.aboutEntry = t(TextId::AboutEntry);
    c.runLamp = t(TextId::RunLamp);
    c.alarmLamp = t(TextId::AlarmLamp);
    c.manualLamp = t(TextId::ManualLamp);
    c.selectSystem = t(TextId::SelectSystem);
    c.connecting = t(TextId::Connecting);
    c.offline = t(TextId::Offline);
    c.offlineTip = t(TextId::OfflineTip);
    c.online = t(TextId::Online);
    c.onlineTip = t(TextId::OnlineTip);
    c.getLog = t(TextId::GetLog);
    c.getLogTip = t(TextId::GetLogTip);
    c.save = t(TextId::Save);
    c.saveTip = t(TextId::SaveTip);
    c.languageMenu = t(TextId::LanguageMenu);
    c.dutchEntry = t(TextId::DutchEntry);
    c.englishEntry = t(TextId::EnglishEntry);
    c.modePanel.clear();
    changed();
}

void MainController::switchLanguage(const std::string &file) {
    SettingsStore settings(m_services.settings);
    settings.write(SettingKey::Language, file);
    readLanguageFile(settings);
    const bool dutch = file == kDutchFile;
    m_view.dutchChecked = dutch;
    m_view.englishChecked = !dutch;
    // Every window takes the new language, in the order the operator has always seen it happen.
    m_windows.retranslateAbout();
    if (m_configuration) {
        m_configuration->retranslate();
    }
    m_windows.retranslateConfiguration();
    m_windows.retranslateLog();
    m_windows.retranslateVariables();
    m_windows.retranslateTrend();
    retranslate();
    m_console.connection().retranslate();
}

void MainController::chooseDutch() {
    switchLanguage(kDutchFile);
}

void MainController::chooseEnglish() {
    switchLanguage(kEnglishFile);
}

void MainController::importBaseFile() {
    const link::PanelView &panel = m_console.view();
    if (!m_currentPool || !panel.optionsMenuEnabled || !panel.baseFileEnabled) {
        return;
    }
    FileReader reader(m_currentPool->records(), *m_language, m_services.link.messageBox);
    // Cancel in the dialog keeps the records, so the question comes once a file is chosen.
    const BaseFileImport result =
        shell::importBaseFile(reader, [this]() -> std::optional<std::string> {
            auto file =
                m_services.fileDialog.openFile(m_programFolder.u8string(), "CSV files|*.csv");
            if (file && !mayDiscardRecords()) {
                return std::nullopt;
            }
            return file;
        });
    if (result != BaseFileImport::Cancelled) {
        // What was read stands in a file already.
        m_savedRecords = m_currentPool->records().count();
    }
    changed();
}

void MainController::openArchive() {
    const link::PanelView &panel = m_console.view();
    if (!m_archive || !m_currentPool || !panel.optionsMenuEnabled) {
        return;
    }
    const bool allSaved = !unsavedRecords();
    const std::optional<records::ArchiveLoad> load = m_archive->loadInto(m_currentPool->records());
    if (!load) {
        return;
    }
    if (allSaved) {
        // What came from the archive stands in a file already.
        markSaved();
    }
    std::string text =
        getText(TextId::ArchiveRecordsLoaded) + " " + std::to_string(load->loaded) + "\r\n" +
        getText(TextId::ArchiveSameNumber) + " " + std::to_string(load->sameNumberSkipped) +
        "\r\n" + getText(TextId::ArchiveAlreadyHeld) + " " + std::to_string(load->alreadyHeld);
    if (load->damagedLines > 0) {
        text += "\r\n" + getText(TextId::ArchiveDamagedLines) + " " +
                std::to_string(load->damagedLines);
    }
    m_services.link.messageBox.show(text, platform::style::kOkOnly);
    changed();
}

void MainController::openConfiguration() {
    if (!m_view.configurationEntryVisible || !m_console.view().fileMenuEnabled) {
        return;
    }
    config::ConfigurationController &window = configuration();
    // The window stays loaded between showings; each showing starts afresh, so a selection or a
    // button state left from the last one cannot act on a list that has been reloaded since.
    window.clearFields();
    window.open(m_console.view().onlineSelected);
    m_windows.openConfiguration();
    window.clearFields();
}

void MainController::openOverview() {
    if (m_console.view().optionsMenuEnabled) {
        m_windows.openRecordTable();
    }
}

void MainController::openTrend() {
    if (m_console.view().optionsMenuEnabled) {
        m_windows.openTrend();
    }
}

void MainController::chooseReconnect(bool on) {
    if (!m_console.view().optionsMenuEnabled) {
        changed(); // the entry shows the switch as it stands
        return;
    }
    SettingsStore(m_services.settings).writeSwitch(SettingKey::Reconnect, on);
    m_console.setReconnect(on);
    m_view.reconnectChecked = m_console.reconnectEnabled();
    changed();
}

void MainController::openVariables() {
    if (m_console.view().optionsMenuEnabled) {
        m_console.variables();
        m_windows.openVariables();
    }
}

void MainController::openAbout() {
    if (m_console.view().helpMenuEnabled) {
        m_windows.openAbout();
    }
}

void MainController::openConnectionWindow() {
    m_console.connection().show();
    m_windows.openConnection();
}

void MainController::exit() {
    if (m_closing || !mayDiscardRecords()) {
        return;
    }
    closeAll();
}

void MainController::closeAll() {
    if (m_closing) {
        return; // closing a window that is already closing has no further effect
    }
    m_closing = true;
    m_console.connection().closeConnection();
    if (m_archive) {
        m_archive->close();
    }
    m_windows.closeConnection();
    m_windows.closeConfiguration();
    m_windows.closeLog();
    m_windows.closeAbout();
    // Left open they would keep the program running without its main window.
    m_windows.closeVariables();
    m_windows.closeRecordTable();
    m_windows.closeTrend();
    m_windows.closeMain();
}

void MainController::markSaved() {
    m_savedRecords = m_currentPool ? m_currentPool->records().count() : 0;
}

bool MainController::unsavedRecords() const {
    // Records are only ever added to a list or the whole list emptied, so a count above the one
    // last saved means records that no file holds.
    return m_currentPool && m_currentPool->records().count() > m_savedRecords;
}

void MainController::forgetSavedRecords() {
    m_savedRecords = 0;
}

bool MainController::mayDiscardRecords() {
    if (!unsavedRecords()) {
        return true;
    }
    const config::Pool *source = recordsSource();
    const std::string text = getText(TextId::UnsavedRecords) + " " +
                             std::to_string(m_currentPool->records().count()) +
                             (source ? " (" + source->name() + ")" : std::string()) + "\r\n" +
                             getText(TextId::DiscardQuestion);
    return m_services.link.messageBox.show(text, platform::style::kQuestionOkCancel) ==
           platform::kResultOk;
}

const config::Pool *MainController::recordsSource() const {
    std::string name;
    if (projectMode()) {
        try {
            name = selectedPoolAttribute(config::ProjectTables::kNameAttribute);
        } catch (const std::exception &) {
            return m_currentPool;
        }
    } else if (m_view.poolIndex >= 0 &&
               m_view.poolIndex < static_cast<int>(m_view.poolNames.size())) {
        name = m_view.poolNames[static_cast<std::size_t>(m_view.poolIndex)];
    }
    const config::Pool *named = name.empty() ? nullptr : m_pools.find(name);
    return named ? named : m_currentPool;
}

config::ConfigurationController &MainController::configuration() {
    if (!m_configuration) {
        m_configuration = std::make_unique<config::ConfigurationController>(
            m_values, m_systems, m_view.poolNames, m_services.link.messageBox, m_services.files,
            [this](int n) { return getText(n); });
        config::ConfigurationController::Hooks hooks;
        hooks.reloadMainWindow = [this] { load(); };
        hooks.reportError = [this](int text, const AqlError &e) {
            m_console.reportError(getText(text), e);
        };
        hooks.processEvents = [this] { m_services.link.pump.processEvents(); };
        hooks.beep = [this] { m_services.link.beep.beep(); };
        // Every change the window saves reloads the configuration, and the records with it.
        hooks.confirmReload = [this] { return mayDiscardRecords(); };
        m_configuration->setHooks(std::move(hooks));
        m_configuration->open(m_console.view().onlineSelected);
    }
    return *m_configuration;
}

} // namespace aql::shell
