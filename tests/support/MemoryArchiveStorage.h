#pragma once

#include "core/Error.h"
#include "platform/ArchiveFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aql::test {

// Archive files and lock files held in memory, with the faults a disk and a power supply have: a
// write torn at a given byte, a flush or a cut that fails, a power cut that zero-fills
// what was not flushed, and a process that dies with its files open. Paths are compared as they
// are spelled; any folder exists. The storage must outlive the files and locks it hands out.
class MemoryArchiveStorage : public platform::ArchiveStorage {
public:
    // ---- faults ----
    // The next append that would take `path` past `byte` lands up to that byte, then fails; with
    // dieAt the process dies there too: nothing it does afterwards changes anything.
    void tearAt(const std::filesystem::path &path, std::uint64_t byte) {
        m_files[key(path)].tearAt = byte;
    }
    void dieAt(const std::filesystem::path &path, std::uint64_t byte) {
        tearAt(path, byte);
        m_files[key(path)].dieOnTear = true;
    }
    // The next `count` flushes (and cuts, which flush) of `path` fail; or the next `count` cuts
    // fail before changing anything.
    void failFlushes(const std::filesystem::path &path, int count) {
        m_files[key(path)].failingFlushes = count;
    }
    void failCuts(const std::filesystem::path &path, int count) {
        m_files[key(path)].failingCuts = count;
    }
    // What was appended to `path` since its last flush is left as zeros of its length.
    void powerCut(const std::filesystem::path &path) {
        File &f = m_files[key(path)];
        if (f.bytes.size() > f.durable) {
            std::fill(f.bytes.begin() + static_cast<std::ptrdiff_t>(f.durable), f.bytes.end(),
                      '\0');
        }
    }
    // The process holding the files and locks handed out so far has ended: its open files can do
    // nothing more, and its locks are free (the lock objects may still be destroyed later).
    void processEnds() {
        ++m_generation;
        m_locks.clear();
    }
    // Another console holds the lock file at `path`, and its file says `holder`.
    void holdElsewhere(const std::filesystem::path &path, std::string holder) {
        m_locks[key(path)] = -1;
        m_lockTexts[key(path)] = std::move(holder);
    }

    // ---- inspection ----
    std::optional<std::string> content(const std::filesystem::path &path) const {
        const auto it = m_files.find(key(path));
        return it == m_files.end() || !it->second.exists ? std::nullopt
                                                         : std::optional(it->second.bytes);
    }
    // The file's bytes, to be damaged at will (what is there counts as flushed).
    std::string &bytes(const std::filesystem::path &path) {
        File &f = m_files[key(path)];
        f.exists = true;
        f.durable = std::numeric_limits<std::size_t>::max();
        return f.bytes;
    }
    void put(const std::filesystem::path &path, std::string bytes) {
        this->bytes(path) = std::move(bytes);
    }
    bool locked(const std::filesystem::path &path) const { return m_locks.count(key(path)) != 0; }
    // Bytes appended to every file, and every cut.
    std::uint64_t appendedBytes() const { return m_appended; }
    const std::vector<std::uint64_t> &cuts() const { return m_cuts; }

    // ---- ArchiveStorage ----
    platform::LockAttempt tryLock(const std::filesystem::path &path) override {
        const std::string k = key(path);
        if (m_locks.count(k) != 0) {
            return {nullptr, m_lockTexts[k]};
        }
        const int id = ++m_lastLockId;
        m_locks[k] = id;
        m_lockTexts[k] = "console " + std::to_string(id);
        return {std::make_unique<LockHandle>(*this, k, id), {}};
    }
    std::unique_ptr<platform::ArchiveFile>
    openForAppending(const std::filesystem::path &path) override {
        File &f = m_files[key(path)];
        if (!f.exists) {
            f.exists = true;
            f.durable = 0;
        }
        return std::make_unique<Handle>(*this, key(path), m_generation);
    }
    std::unique_ptr<platform::ArchiveReader>
    openForReading(const std::filesystem::path &path) override {
        const auto it = m_files.find(key(path));
        if (it == m_files.end() || !it->second.exists) {
            return nullptr;
        }
        return std::make_unique<Handle>(*this, key(path), m_generation);
    }

private:
    struct File {
        bool exists = false;
        std::string bytes;
        std::size_t durable = 0; // bytes known to be on the disk
        std::optional<std::uint64_t> tearAt;
        bool dieOnTear = false;
        int failingFlushes = 0;
        int failingCuts = 0;
    };

    static AqlError failure(std::string_view doing, const std::string &file,
                            std::string_view reason) {
        return AqlError(errc::kPathFileAccess, "ArchiveStorage",
                        "Could not " + std::string(doing) + " " + file + ": " +
                            std::string(reason));
    }
    static std::string key(const std::filesystem::path &path) { return path.generic_u8string(); }

    class Handle : public platform::ArchiveFile {
    public:
        Handle(MemoryArchiveStorage &storage, std::string file, int generation)
            : m_storage(storage), m_file(std::move(file)), m_generation(generation) {}

        std::uint64_t size() override { return file("read").bytes.size(); }
        std::size_t read(std::uint64_t offset, char *buffer, std::size_t length) override {
            const std::string &bytes = file("read").bytes;
            const std::size_t n =
                offset >= bytes.size()
                    ? 0
                    : std::min<std::size_t>(length,
                                            bytes.size() - static_cast<std::size_t>(offset));
            std::copy_n(bytes.data() + std::min<std::uint64_t>(offset, bytes.size()), n, buffer);
            return n;
        }
        void append(std::string_view bytes) override {
            File &f = file("write");
            if (f.tearAt && f.bytes.size() + bytes.size() > *f.tearAt) {
                const std::size_t room = f.bytes.size() < *f.tearAt
                                             ? static_cast<std::size_t>(*f.tearAt) - f.bytes.size()
                                             : 0;
                f.bytes.append(bytes.substr(0, room));
                m_storage.m_appended += room;
                f.tearAt.reset();
                if (std::exchange(f.dieOnTear, false)) {
                    m_storage.processEnds();
                }
                throw failure("write", m_file, "input/output error");
            }
            f.bytes.append(bytes);
            m_storage.m_appended += bytes.size();
        }
        void flush() override {
            File &f = file("write");
            if (f.failingFlushes > 0) {
                --f.failingFlushes;
                throw failure("write", m_file, "input/output error");
            }
            f.durable = f.bytes.size();
        }
        void truncate(std::uint64_t newSize) override {
            File &f = file("shorten");
            if (f.failingCuts > 0) {
                --f.failingCuts;
                throw failure("shorten", m_file, "input/output error");
            }
            if (newSize < f.bytes.size()) {
                f.bytes.resize(static_cast<std::size_t>(newSize));
                m_storage.m_cuts.push_back(newSize);
            }
            flush();
        }

    private:
        File &file(std::string_view doing) {
            if (m_generation != m_storage.m_generation) {
                throw failure(doing, m_file, "the process has ended");
            }
            return m_storage.m_files[m_file];
        }
        MemoryArchiveStorage &m_storage;
        std::string m_file;
        int m_generation;
    };

    class LockHandle : public platform::ArchiveLock {
    public:
        LockHandle(MemoryArchiveStorage &storage, std::string file, int id)
            : m_storage(storage), m_file(std::move(file)), m_id(id) {}
        ~LockHandle() override {
            const auto it = m_storage.m_locks.find(m_file);
            if (it != m_storage.m_locks.end() && it->second == m_id) {
                m_storage.m_locks.erase(it);
            }
        }

    private:
        MemoryArchiveStorage &m_storage;
        std::string m_file;
        int m_id;
    };

    std::map<std::string, File> m_files;
    std::map<std::string, int> m_locks; // lock file -> id of its holder
    std::map<std::string, std::string> m_lockTexts;
    int m_generation = 0;
    int m_lastLockId = 0;
    std::uint64_t m_appended = 0;
    std::vector<std::uint64_t> m_cuts;
};

} // namespace aql::test
