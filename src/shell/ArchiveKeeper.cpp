#include "shell/ArchiveKeeper.h"

#include "core/TextId.h"
#include "link/ErrorReporter.h"

namespace aql::shell {

namespace {

// Set for the time a flush runs: a message box it shows lets timers tick meanwhile.
class Busy {
public:
    explicit Busy(bool &flag) : m_flag(flag) { m_flag = true; }
    ~Busy() { m_flag = false; }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    bool &m_flag;
};

} // namespace

ArchiveKeeper::ArchiveKeeper(ArchiveServices services, link::TextSource texts,
                             link::ProgramInfo info)
    : m_services(services), m_texts(std::move(texts)), m_info(std::move(info)),
      m_archive(services.storage), m_flushTimer(services.timers.createTimer(kFlushMs)) {
    m_flushTimer->setOnTick([this] { tick(); });
}

ArchiveKeeper::~ArchiveKeeper() = default;

void ArchiveKeeper::open(const config::ArchiveFolder &folder) {
    close();
    m_folder = folder.path;
    m_folderProblem = folder.problem;
    m_writeFailing = false;
    m_refusalTold = false;
    m_refusedRecord.reset();
    if (m_folder.empty()) {
        reportFailure(TextId::ArchiveUnavailable,
                      AqlError(errc::kPathFileAccess, "ArchiveFolder", m_folderProblem));
        return;
    }
    try {
        m_archive.open(m_folder);
    } catch (const records::ArchiveInUse &e) {
        // Not a fault of this console: who holds it is what the operator needs to know.
        m_services.messageBox.show(m_texts(TextId::ArchiveInUse) + "\r\n" +
                                       (e.holder().empty() ? e.description() : e.holder()),
                                   platform::style::kOkOnly);
    } catch (const AqlError &e) {
        reportFailure(TextId::ArchiveUnavailable, e);
    }
}

void ArchiveKeeper::close() {
    m_flushTimer->setEnabled(false);
    if (!m_archive.isOpen()) {
        return;
    }
    try {
        m_archive.close();
    } catch (const AqlError &e) {
        reportWriteFailure(e);
    }
}

void ArchiveKeeper::take(const records::LogRecord &record) {
    if (!m_archive.isOpen()) {
        return;
    }
    try {
        m_archive.append(record);
    } catch (const AqlError &e) {
        // One refusal says what is wrong; a download may bring thousands like it.
        if (!m_refusedRecord && !m_refusalTold) {
            m_refusedRecord = e;
        }
    }
    if (m_archive.pendingCount() > 0 || m_refusedRecord) {
        m_flushTimer->setEnabled(true);
    }
}

void ArchiveKeeper::tick() {
    if (m_flushing) {
        return; // a box of the flush is open: the next tick tries again
    }
    m_flushTimer->setEnabled(false);
    flush();
}

void ArchiveKeeper::flush() {
    if (m_flushing) {
        return;
    }
    const Busy busy(m_flushing);
    if (m_archive.isOpen() && m_archive.pendingCount() > 0) {
        try {
            m_archive.flush();
            m_writeFailing = false;
        } catch (const AqlError &e) {
            // The records stay pending; the next record or the next flush tries again.
            reportWriteFailure(e);
        }
    }
    if (m_refusedRecord) {
        const AqlError refused = *m_refusedRecord;
        m_refusedRecord.reset();
        m_refusalTold = true;
        reportFailure(TextId::ArchiveNotWritten, refused);
    }
}

std::optional<records::ArchiveLoad> ArchiveKeeper::loadInto(records::RecordList &list) {
    try {
        if (m_archive.isOpen()) {
            return m_archive.loadInto(list);
        }
        if (m_folder.empty()) {
            throw AqlError(errc::kPathFileAccess, "ArchiveFolder",
                           m_folderProblem.empty() ? std::string("no system is chosen")
                                                   : m_folderProblem);
        }
        return records::LogArchive::loadInto(m_services.storage, m_folder, list);
    } catch (const AqlError &e) {
        reportFailure(TextId::ArchiveNotRead, e);
    }
    return std::nullopt;
}

void ArchiveKeeper::reportWriteFailure(const AqlError &error) {
    // A full disk fails every batch: said once, until a write succeeds again.
    if (m_writeFailing) {
        return;
    }
    m_writeFailing = true;
    reportFailure(TextId::ArchiveNotWritten, error);
}

void ArchiveKeeper::reportFailure(int text, const AqlError &error) {
    link::ErrorReporter(m_services.messageBox, m_info.exeName, m_info.major, m_info.minor)
        .show(m_texts(text), error);
}

} // namespace aql::shell
