#include "records/LogArchive.h"

#include "records/Exports.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace aql::records {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// The file is read in pieces of this size, so a large archive never sits in memory whole.
constexpr std::size_t kPiece = std::size_t{1} << 20;
// Far beyond any export line (about 200 bytes at the widest): a run this long without a line end
// is damage, and is skipped rather than held in memory.
constexpr std::size_t kLongestLine = 64 * 1024;

const std::string &headerLine() {
    static const std::string kHeader = exportCsvHeader() + std::string(kLineEnd);
    return kHeader;
}

// ---- the index ------------------------------------------------------------------------------

// What makes a record the same record: its number and its time to the minute (the export writes
// seconds, but reading them back gives 0, so they cannot tell two records apart).
struct Stamp {
    std::int32_t number = 0;
    std::array<std::int32_t, 5> time{}; // year, month, day, hour, minute

    bool operator<(const Stamp &other) const {
        return number != other.number ? number < other.number : time < other.time;
    }
    bool operator==(const Stamp &other) const {
        return number == other.number && time == other.time;
    }
};

Stamp stampOf(const LogRecord &record) {
    const Timestamp &t = *record.timestamp();
    return {record.recordNumber, {t.year, t.month, t.day, t.hour, t.minute}};
}

// The stamps of every record in the archive. A stamp of a real controller (years below 7000,
// fields in their calendar ranges) packs into 64 bits and goes into an open-addressing table of
// 8 bytes a slot, at most half full: a million records take 16 MiB. Anything else (a line someone
// edited) goes into an ordered set beside it.
class StampSet {
public:
    StampSet() : m_slots(kInitialSlots, kEmpty) {}

    // True when the stamp was not there yet.
    bool insert(const Stamp &stamp) {
        std::uint64_t packed = 0;
        if (!pack(stamp, packed)) {
            return m_unusual.insert(stamp).second;
        }
        if ((m_packedCount + 1) * 2 > m_slots.size()) {
            grow();
        }
        std::uint64_t &slot = findSlot(m_slots, packed);
        if (slot == packed) {
            return false;
        }
        slot = packed;
        ++m_packedCount;
        return true;
    }

    std::size_t size() const { return m_packedCount + m_unusual.size(); }

private:
    static constexpr std::size_t kInitialSlots = 1024;
    // Number -1 with a time no calendar field combination reaches.
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};

    static bool pack(const Stamp &s, std::uint64_t &packed) {
        const auto &[year, month, day, hour, minute] = s.time;
        if (year < 0 || year >= 7000 || month < 0 || month > 12 || day < 0 || day > 31 ||
            hour < 0 || hour > 23 || minute < 0 || minute > 59) {
            return false;
        }
        // At most 4,193,280,000: below 2^32 - 1.
        const std::uint64_t time =
            ((((static_cast<std::uint64_t>(year) * 13 + static_cast<std::uint64_t>(month)) * 32 +
               static_cast<std::uint64_t>(day)) *
                  24 +
              static_cast<std::uint64_t>(hour)) *
                 60 +
             static_cast<std::uint64_t>(minute));
        packed = (std::uint64_t{static_cast<std::uint32_t>(s.number)} << 32) | time;
        return true;
    }

    static std::uint64_t mix(std::uint64_t x) {
        x ^= x >> 30;
        x *= 0xBF58476D1CE4E5B9ULL;
        x ^= x >> 27;
        x *= 0x94D049BB133111EBULL;
        x ^= x >> 31;
        return x;
    }

    // The slot holding `packed`, or the empty slot where it belongs.
    static std::uint64_t &findSlot(std::vector<std::uint64_t> &slots, std::uint64_t packed) {
        const std::size_t mask = slots.size() - 1;
        std::size_t i = static_cast<std::size_t>(mix(packed)) & mask;
        while (slots[i] != kEmpty && slots[i] != packed) {
            i = (i + 1) & mask;
        }
        return slots[i];
    }

    void grow() {
        std::vector<std::uint64_t> bigger(m_slots.size() * 2, kEmpty);
        for (std::uint64_t packed : m_slots) {
            if (packed != kEmpty) {
                findSlot(bigger, packed) = packed;
            }
        }
        m_slots.swap(bigger);
    }

    std::vector<std::uint64_t> m_slots;
    std::size_t m_packedCount = 0;
    std::set<Stamp> m_unusual;
};

// ---- reading the file -----------------------------------------------------------------------

enum class Start {
    Empty,      // nothing at all
    TornHeader, // the header was being written when the writer stopped: no record can follow
    Header,     // the export's header line, complete
    Foreign,    // something else: not ours to change
};

struct Scan {
    Start start = Start::Empty;
    std::uint64_t fileSize = 0;
    std::uint64_t goodEnd = 0;    // just past the last line that reads as a record (or header)
    std::size_t damagedLines = 0; // complete lines before goodEnd that read as no record
    // After goodEnd: a line ended by LF alone, which no writer of this file makes. Such an end is
    // an edit, not a torn write, and is not cut.
    bool bareLineFeedInTail = false;
};

// True when `bytes` holds zeros only.
bool allZero(std::string_view bytes) {
    return bytes.find_first_not_of('\0') == std::string_view::npos;
}

// How the file starts. A torn header is a first part of the header followed by nothing or by
// zeros only (which a power cut leaves where the rest was not written).
Start readStart(platform::ArchiveReader &file, std::uint64_t fileSize) {
    if (fileSize == 0) {
        return Start::Empty;
    }
    const std::string &header = headerLine();
    std::string first(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, header.size())),
                      '\0');
    first.resize(file.read(0, first.data(), first.size()));
    if (first == header) {
        return Start::Header;
    }
    std::size_t same = 0;
    while (same < first.size() && first[same] == header[same]) {
        ++same;
    }
    if (!allZero(std::string_view(first).substr(same))) {
        return Start::Foreign;
    }
    std::string piece(kPiece, '\0');
    for (std::uint64_t at = first.size(); at < fileSize;) {
        const std::size_t n = file.read(at, piece.data(), piece.size());
        if (n == 0) {
            break;
        }
        if (!allZero(std::string_view(piece.data(), n))) {
            return Start::Foreign;
        }
        at += n;
    }
    return Start::TornHeader;
}

// Reads the file through and calls onRecord(LogRecord &) for every line that reads as a record,
// in file order. Only a line ended by CR LF counts: a writer that stopped half-way left its last
// line without one.
template <class OnRecord> Scan scanFile(platform::ArchiveReader &file, OnRecord &&onRecord) {
    Scan scan;
    scan.fileSize = file.size();
    scan.start = readStart(file, scan.fileSize);
    if (scan.start != Start::Header) {
        return scan;
    }
    scan.goodEnd = headerLine().size();

    std::size_t damaged = 0;
    std::size_t damagedSinceGood = 0;
    bool bareLineFeed = false; // since the last good line
    bool overlong = false;     // the line being read has outgrown any line of ours

    std::string buffer; // bytes not consumed yet, from file offset `base`
    std::uint64_t base = scan.goodEnd;
    std::uint64_t readAt = base;
    std::size_t searchFrom = 0;
    while (readAt < scan.fileSize) {
        // Pieces at whole multiples of their size, as the disk stores them.
        const std::size_t want = kPiece - static_cast<std::size_t>(readAt % kPiece);
        const std::size_t kept = buffer.size();
        buffer.resize(kept + want);
        const std::size_t n = file.read(readAt, buffer.data() + kept, want);
        buffer.resize(kept + n);
        if (n == 0) {
            break; // the file became shorter while being read
        }
        readAt += n;

        std::size_t start = 0;
        for (;;) {
            const std::size_t end = buffer.find(kLineEnd, searchFrom);
            if (end == std::string::npos) {
                break;
            }
            const std::string_view line(buffer.data() + start, end - start);
            LogRecord record;
            bool good = false;
            if (!overlong) {
                try {
                    record.fromExportCsv(line, rtype::kLog);
                    good = true;
                } catch (const AqlError &) {
                    // A line that reads as no record; counted below.
                }
            }
            if (good) {
                onRecord(record);
                scan.goodEnd = base + end + kLineEnd.size();
                damagedSinceGood = 0;
                bareLineFeed = false;
            } else {
                ++damaged;
                ++damagedSinceGood;
                bareLineFeed = bareLineFeed || line.find('\n') != std::string_view::npos;
            }
            overlong = false;
            start = end + kLineEnd.size();
            searchFrom = start;
        }
        bareLineFeed = bareLineFeed ||
                       std::string_view(buffer).substr(start).find('\n') != std::string_view::npos;
        buffer.erase(0, start);
        base += start;
        if (buffer.size() > kLongestLine) {
            // Keep the last byte: it may be the CR of a line end that the next piece completes.
            overlong = true;
            base += buffer.size() - 1;
            buffer.erase(0, buffer.size() - 1);
        }
        // A line end can straddle two pieces: look again from the CR that may start it.
        searchFrom = buffer.empty() ? 0 : buffer.size() - 1;
    }
    scan.damagedLines = damaged - damagedSinceGood;
    scan.bareLineFeedInTail = bareLineFeed;
    return scan;
}

AqlError notAnArchive(const fs::path &file) {
    return AqlError(errc::kPathFileAccess, "LogArchive",
                    file.u8string() +
                        " is not a log archive: its first line is not the CSV export's header. "
                        "It was left as it is.");
}

AqlError editedEnd(const fs::path &file) {
    return AqlError(errc::kPathFileAccess, "LogArchive",
                    file.u8string() +
                        " ends in lines that were not written by this program (ended by LF "
                        "alone). Nothing was appended and the file was left as it is.");
}

// Inserts each record into `list` by its insertion rule and counts what happened.
auto loader(RecordList &list, ArchiveLoad &load) {
    return [&list, &load](LogRecord &record) {
        const Stamp stamp = stampOf(record);
        const std::string key = record.key();
        if (list.insert(std::move(record)) == RecordList::InsertResult::Inserted) {
            ++load.loaded;
            return;
        }
        const LogRecord *held = list.find(key);
        const bool same =
            held != nullptr && held->timestamp() != nullptr && stampOf(*held) == stamp;
        ++(same ? load.alreadyHeld : load.sameNumberSkipped);
    };
}

} // namespace

// ---- LogArchive -----------------------------------------------------------------------------

ArchiveInUse::ArchiveInUse(const fs::path &archive, std::string holder)
    : AqlError(errc::kPathFileAccess, "LogArchive",
               archive.u8string() + " is in use by " +
                   (holder.empty() ? std::string("another console") : holder)),
      m_holder(std::move(holder)) {}

struct LogArchive::State {
    // Declared first, so released last: the file is closed while the lock is still held.
    std::unique_ptr<platform::ArchiveLock> lock;
    std::unique_ptr<platform::ArchiveFile> file;
    fs::path path;
    StampSet index;
    std::string pending;
    std::size_t pendingCount = 0;
    std::uint64_t committed = 0; // bytes of the file that are good and on the disk
    bool cutNeeded = false;      // a failed write may have left part of `pending` after them
};

LogArchive::LogArchive(platform::ArchiveStorage &storage) : m_storage(storage) {}

LogArchive::~LogArchive() {
    try {
        flush();
    } catch (...) {
        // Nobody is left to tell; the next opening cuts off whatever part reached the file.
    }
}

ArchiveOpening LogArchive::open(const fs::path &folder) {
    close();
    auto state = std::make_unique<State>();
    state->path = folder / kFileName;
    platform::LockAttempt attempt = m_storage.tryLock(folder / kLockFileName);
    if (!attempt.lock) {
        throw ArchiveInUse(state->path, std::move(attempt.holder));
    }
    state->lock = std::move(attempt.lock);
    state->file = m_storage.openForAppending(state->path);

    StampSet &index = state->index;
    const Scan scan = scanFile(*state->file, [&index](LogRecord &r) { index.insert(stampOf(r)); });
    ArchiveOpening opening;
    switch (scan.start) {
    case Start::Foreign: throw notAnArchive(state->path);
    case Start::Empty:
    case Start::TornHeader:
        state->file->truncate(0);
        state->file->append(headerLine());
        state->file->flush();
        opening.created = true;
        opening.cutBytes = scan.fileSize;
        state->committed = headerLine().size();
        break;
    case Start::Header:
        if (scan.goodEnd < scan.fileSize) {
            if (scan.bareLineFeedInTail) {
                throw editedEnd(state->path);
            }
            state->file->truncate(scan.goodEnd);
            opening.cutBytes = scan.fileSize - scan.goodEnd;
        }
        state->committed = scan.goodEnd;
        break;
    }
    opening.records = index.size();
    opening.damagedLines = scan.damagedLines;
    m_state = std::move(state);
    return opening;
}

void LogArchive::close() {
    if (!m_state) {
        return;
    }
    try {
        flush();
    } catch (...) {
        m_state.reset();
        throw;
    }
    m_state.reset();
}

bool LogArchive::isOpen() const {
    return m_state != nullptr;
}

const fs::path &LogArchive::path() const {
    static const fs::path kNone;
    return m_state ? m_state->path : kNone;
}

bool LogArchive::append(const LogRecord &record) {
    if (!m_state || record.values() == nullptr || record.timestamp() == nullptr) {
        throw standardError(errc::kObjectNotSet, "LogArchive.append");
    }
    if (!m_state->index.insert(stampOf(record))) {
        return false;
    }
    record.appendCSV(m_state->pending);
    m_state->pending += kLineEnd;
    ++m_state->pendingCount;
    return true;
}

void LogArchive::flush() {
    if (!m_state || (m_state->pending.empty() && !m_state->cutNeeded)) {
        return;
    }
    State &s = *m_state;
    try {
        if (s.cutNeeded) {
            s.file->truncate(s.committed);
            s.cutNeeded = false;
        }
        s.file->append(s.pending);
        s.file->flush();
    } catch (const AqlError &) {
        s.cutNeeded = true;
        try {
            // Cut now what reached the file, so that it is clean even if nothing is appended
            // again; the flush to the disk may have lost any of it.
            s.file->truncate(s.committed);
            s.cutNeeded = false;
        } catch (const AqlError &) {
            // Tried again before the next write.
        }
        throw;
    }
    s.committed += s.pending.size();
    s.pending.clear();
    s.pendingCount = 0;
}

std::size_t LogArchive::pendingCount() const {
    return m_state ? m_state->pendingCount : 0;
}

std::size_t LogArchive::recordCount() const {
    return m_state ? m_state->index.size() : 0;
}

ArchiveLoad LogArchive::loadInto(RecordList &list) {
    if (!m_state) {
        throw standardError(errc::kObjectNotSet, "LogArchive.loadInto");
    }
    flush();
    ArchiveLoad load;
    load.damagedLines = scanFile(*m_state->file, loader(list, load)).damagedLines;
    return load;
}

ArchiveLoad LogArchive::loadInto(platform::ArchiveStorage &storage, const fs::path &folder,
                                 RecordList &list) {
    const fs::path path = folder / kFileName;
    ArchiveLoad load;
    const std::unique_ptr<platform::ArchiveReader> file = storage.openForReading(path);
    if (!file) {
        return load;
    }
    const Scan scan = scanFile(*file, loader(list, load));
    if (scan.start == Start::Foreign) {
        throw notAnArchive(path);
    }
    load.damagedLines = scan.damagedLines;
    return load;
}

} // namespace aql::records
