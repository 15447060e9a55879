#pragma once

#include "config/Pool.h"
#include "core/Observers.h"
#include "link/Console.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/FileOpener.h"
#include "platform/FileSaver.h"
#include "platform/MessageBox.h"
#include "platform/Timer.h"
#include "platform/TopmostWindow.h"
#include "records/RecordList.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace aql::shell {

// Whose records the log window holds, as the exports name them.
struct LogSource {
    std::string siteName;           // the resort of the system the records were downloaded from
    std::string poolName;           // that system's name
    std::int32_t sitePoolCount = 1; // every pool of the site, as the XML document counts them
};

struct LogServices {
    platform::TimerFactory &timers;
    const platform::Clock &clock;
    platform::FileDialog &fileDialog;
    platform::MessageBox &messageBox;
    platform::FileSaver &files; // every file the window writes
    platform::FileOpener &opener;
};

// The log window: how many records of one pool are held, and their exports as CSV, XML and an
// Excel workbook; also the real-time CSV the main window's clock asks for, window open or not.
class LogController {
public:
    static constexpr int kRefreshMs = 500;
    static constexpr const char *kCsvFilter = "CSV files|*.csv";
    static constexpr const char *kXmlFilter = "XML files|*.xml";
    static constexpr const char *kWorkbookPattern = "*.xlsx";
    static constexpr const char *kRealtimeFile = "Realtime.csv";

    struct View {
        bool open = false;
        std::string title;
        std::string countCaption;
        std::string recordCount = "0";
        std::string saveCsv, excel, xml, quit;
        std::string trend;           // the button that opens the trend window
        bool trendAvailable = false; // this build has a trend window to open
        // The same in every language.
        std::string excelTip = "Export to MS Excel";
        std::string xmlTip = "Save log in XML format";
    };

    LogController(LogServices services, link::TextSource texts, std::filesystem::path programFolder,
                  link::ProgramInfo info = {});
    ~LogController();
    LogController(const LogController &) = delete;
    LogController &operator=(const LogController &) = delete;

    const View &view() const { return m_view; }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }
    // Told after the operator has written the held records to a file of their choice (CSV, XML
    // or workbook); the real-time file, rewritten twice a minute, does not count.
    [[nodiscard]] Subscription subscribeSaved(std::function<void()> observer) {
        return m_saved.subscribe(std::move(observer));
    }

    // The pool whose records are shown and exported, asked for each time they are needed, so that
    // a pool list read again (a configuration save) never leaves a pool behind that is gone; null:
    // none (nothing is held). The names in the exports are this pool's until a source provider
    // says otherwise.
    void setPoolProvider(std::function<const config::Pool *()> provider);
    // One pool for good (null: none).
    void setPool(const config::Pool *pool);
    // The provider's pool has changed: an open window shows its count at once.
    void poolChanged();
    // Asked at every export: the system the records came from, which need not be the pool that
    // holds them.
    void setSourceProvider(std::function<LogSource()> provider);
    // Stand-ins for the services' message boxes and file dialogs (an unattended run answers
    // them from a script); null: the services' own.
    void useDialogs(platform::MessageBox *messageBox, platform::FileDialog *fileDialog);

    // The window opens: kept on top, its texts, the count; the count and title follow every
    // half second while it is open.
    void open(platform::TopmostWindow &window);
    void retranslate();
    void refresh();
    // The buttons. A save that fails says so and leaves the window open.
    void saveCsv();
    void saveXml();
    void saveWorkbook();
    void quit();
    // Closes the window and opens the trend window on the same records. The log window is modal:
    // a window opened while it runs could not be used until it closes.
    void showTrend();
    // What showTrend opens; empty: nothing, and the button is not shown.
    void setTrendOpener(std::function<void()> opener);

    // The main window's clock, every tick while real-time recording is on: writes Realtime.csv
    // in the program folder once in clock second 16 and once in second 46.
    void saveRealtimeCsv();

    LogSource source() const;
    std::size_t recordCount() const;

private:
    const records::RecordList &records() const;
    const config::Pool *pool() const;
    platform::MessageBox &messageBox();
    platform::FileDialog &fileDialog();
    std::optional<std::filesystem::path> askTarget(const std::filesystem::path &folder,
                                                   const std::string &filter);
    // Writes through the saver; false after reporting why it failed.
    bool write(const std::filesystem::path &target, const std::string &bytes);
    void reportFailure(int text, const AqlError &error);
    std::string nowText() const;
    void close();
    void changed() const { m_notifier.notify(); }

    LogServices m_services;
    link::TextSource m_texts;
    std::filesystem::path m_programFolder;
    link::ProgramInfo m_info;
    View m_view;
    ChangeNotifier m_notifier;
    ChangeNotifier m_saved;
    std::function<const config::Pool *()> m_poolProvider;
    std::function<LogSource()> m_sourceProvider;
    std::function<void()> m_trendOpener;
    platform::MessageBox *m_windowBoxes = nullptr;
    platform::FileDialog *m_windowDialogs = nullptr;
    std::unique_ptr<platform::Timer> m_refreshTimer;
    std::optional<platform::LocalTime> m_lastRealtimeSecond;
    bool m_realtimeFailing = false;
};

} // namespace aql::shell
