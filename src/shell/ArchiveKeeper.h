#pragma once

#include "config/ArchiveFolder.h"
#include "core/Error.h"
#include "link/Console.h"
#include "platform/ArchiveFile.h"
#include "platform/MessageBox.h"
#include "platform/Timer.h"
#include "records/LogArchive.h"
#include "records/LogRecord.h"
#include "records/RecordList.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace aql::shell {

struct ArchiveServices {
    platform::ArchiveStorage &storage;
    platform::TimerFactory &timers;
    platform::MessageBox &messageBox;
};

// The log archive of the system the console operates: opened when that system becomes the one
// the records come from, fed every log record a download brings, written to the disk shortly
// after records arrive, let go when another system is chosen, the configuration is read again or
// the program ends. Every failure is told to the operator, once until the archive works again;
// the records stay held in memory whatever happens to the archive.
class ArchiveKeeper {
public:
    // Records taken are on the disk this long after the first of them arrived: a download's
    // records go in batches, and the last batch follows the end of the log as closely.
    static constexpr int kFlushMs = 100;

    ArchiveKeeper(ArchiveServices services, link::TextSource texts, link::ProgramInfo info = {});
    ~ArchiveKeeper();
    ArchiveKeeper(const ArchiveKeeper &) = delete;
    ArchiveKeeper &operator=(const ArchiveKeeper &) = delete;

    // The archive in `folder` (none: its problem is told). What was open before is closed first.
    // An archive another console appends to is not appended to: the operator is told who holds
    // it, once, and the records go on arriving in memory only.
    void open(const config::ArchiveFolder &folder);
    // Writes what is pending and lets the archive go.
    void close();

    // A record received. It runs inside the receive path, so it never shows anything: a record
    // the archive refuses is told at the next flush.
    void take(const records::LogRecord &record);
    // Writes what is pending now.
    void flush();

    // Every record of the archive into `list` by the list's insertion rule: from the open
    // archive, or read without its lock when another console holds it. Nullopt after telling the
    // operator why it could not be read.
    std::optional<records::ArchiveLoad> loadInto(records::RecordList &list);

    // Records taken go into an archive.
    bool archiving() const { return m_archive.isOpen(); }
    std::size_t pendingCount() const { return m_archive.isOpen() ? m_archive.pendingCount() : 0; }
    // The folder of the archive chosen last; empty when that system has none.
    const std::filesystem::path &folder() const { return m_folder; }

private:
    void tick();
    void reportFailure(int text, const AqlError &error);
    void reportWriteFailure(const AqlError &error);

    ArchiveServices m_services;
    link::TextSource m_texts;
    link::ProgramInfo m_info;
    records::LogArchive m_archive;
    std::unique_ptr<platform::Timer> m_flushTimer;
    std::filesystem::path m_folder;
    std::string m_folderProblem;
    std::optional<AqlError> m_refusedRecord; // a record the archive would not take, not yet told
    bool m_writeFailing = false;             // told already; quiet until a write succeeds
    bool m_refusalTold = false;
    bool m_flushing = false;
};

} // namespace aql::shell
