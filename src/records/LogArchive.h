#pragma once

#include "core/Error.h"
#include "platform/ArchiveFile.h"
#include "records/LogRecord.h"
#include "records/RecordList.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace aql::records {

// What opening an archive found.
struct ArchiveOpening {
    bool created = false;         // there was no archive: an empty one was started
    std::size_t records = 0;      // distinct records (number and time) in the file
    std::size_t damagedLines = 0; // complete lines before the last record that read as no
                                  // record: skipped, and left in the file as they are
    std::uint64_t cutBytes = 0;   // a torn or zero-filled end, cut off
};

// What loading an archive into a record list did. Every record of the file is counted once.
struct ArchiveLoad {
    std::size_t loaded = 0;            // inserted
    std::size_t alreadyHeld = 0;       // the list held this very record (number and time)
    std::size_t sameNumberSkipped = 0; // the list held another record under this number
    std::size_t damagedLines = 0;      // lines that read as no record
};

// The refusal when another console appends to the archive.
class ArchiveInUse : public AqlError {
public:
    ArchiveInUse(const std::filesystem::path &archive, std::string holder);
    // Who, as the lock file says; empty when it does not say.
    const std::string &holder() const { return m_holder; }

private:
    std::string m_holder;
};

// A pool's log archive: archive.csv in the pool's data folder, in the layout of the CSV export
// (its header line once, then one line per record, every line ended by CR LF), so the file opens
// wherever an export opens and reads back through the same reader.
//
// Every record appended is kept once: a record is already there when a record with the same
// number and the same time (year to minute) is, so a controller whose numbering starts again
// still has its new records kept. The file only grows: appends go at its end, nothing written
// before is rewritten or moved, and the cost of an append does not depend on the size of the
// archive. A power cut or crash can leave the end torn (half a line, a line without its CR LF,
// zeros); opening cuts off everything after the last line that reads as a record, and a failed
// write is cut off the same way before the next one. One console appends at a time: the lock
// file archive.lock beside it is held from open to close.
class LogArchive {
public:
    static constexpr const char *kFileName = "archive.csv";
    static constexpr const char *kLockFileName = "archive.lock";

    explicit LogArchive(platform::ArchiveStorage &storage);
    // Writes what is pending (failures are lost then: call close() to see them) and releases the
    // lock.
    ~LogArchive();
    LogArchive(const LogArchive &) = delete;
    LogArchive &operator=(const LogArchive &) = delete;

    // Takes the lock of the archive in `folder`, starts the file when there is none, reads it
    // through, cuts off a torn end and builds the index of what it holds. An archive already open
    // is closed first. Throws ArchiveInUse when another console holds the lock, and AqlError 75
    // when the file cannot be read, cut or started, or when it is not ours to change: its first
    // line is not the export's header, or what follows its last record holds lines ended by LF
    // alone (an edit, not a torn write). Such a file is left untouched.
    ArchiveOpening open(const std::filesystem::path &folder);

    // Writes what is pending and releases the lock; AqlError 75 when the write fails (the lock is
    // released all the same and the pending records are dropped).
    void close();

    bool isOpen() const;
    // archive.csv of the open archive; empty when none is open.
    const std::filesystem::path &path() const;

    // Takes the record into the archive unless the same number and time are there already (false
    // then). Nothing is written until flush(). AqlError 91 when no archive is open or the record
    // has no values or time, as the export raises.
    bool append(const LogRecord &record);

    // Writes the pending records at the end of the file and waits until they are on the disk.
    // AqlError 75 on failure: the pending records stay pending, and the next flush first cuts off
    // whatever part of them reached the file.
    void flush();

    // Records taken but not yet on the disk.
    std::size_t pendingCount() const;
    // Distinct records of the archive, pending ones included.
    std::size_t recordCount() const;

    // Writes what is pending, then loads every record of the file into `list` by its insertion
    // rule.
    ArchiveLoad loadInto(RecordList &list);

    // Loads the archive in `folder` without taking its lock or changing anything, so an archive
    // another console is appending to can still be read: a torn end is left where it is and not
    // read. An archive that does not exist loads nothing. AqlError 75 as for open().
    static ArchiveLoad loadInto(platform::ArchiveStorage &storage,
                                const std::filesystem::path &folder, RecordList &list);

private:
    struct State;
    platform::ArchiveStorage &m_storage;
    std::unique_ptr<State> m_state;
};

} // namespace aql::records
