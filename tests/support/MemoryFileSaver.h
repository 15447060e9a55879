#pragma once

#include "platform/FileSaver.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace aql::test {

// Files held in memory, for the logic's tests, with the failures a real disk has: a disk that
// fills at byte N, a target that cannot be written. Paths are compared as they are spelled; a
// file's folder must have been added (a bare name lives in the current folder, which always
// exists). Standard output receives bytes as they are written, regular files only at commit. The
// saver must outlive its sinks.
class MemoryFileSaver : public platform::FileSaver {
public:
    void addFile(const std::filesystem::path &path, std::string bytes) {
        m_entries[key(path)] = Entry{platform::TargetKind::Regular, std::move(bytes)};
    }
    void addFolder(const std::filesystem::path &path) {
        m_entries[key(path)] = Entry{platform::TargetKind::Directory, {}};
    }
    // Writing to `path` fails with a full disk once more than `bytes` bytes went to one sink.
    void fillDiskAfter(const std::filesystem::path &path, std::size_t bytes) {
        m_diskFullAfter[key(path)] = bytes;
    }
    // `path` cannot be written at all, for this reason.
    void refuse(const std::filesystem::path &path, std::string reason = "permission denied") {
        m_refusals[key(path)] = std::move(reason);
    }

    // A regular file's bytes; nullopt when there is none.
    std::optional<std::string> content(const std::filesystem::path &path) const {
        const auto it = m_entries.find(key(path));
        if (it == m_entries.end() || it->second.kind != platform::TargetKind::Regular) {
            return std::nullopt;
        }
        return it->second.bytes;
    }
    int commits() const { return m_commits; }

    platform::TargetKind kindOf(const std::filesystem::path &target) const override {
        if (target == "-") {
            return platform::TargetKind::StandardOutput;
        }
        const auto it = m_entries.find(key(target));
        return it == m_entries.end() ? platform::TargetKind::Missing : it->second.kind;
    }

    std::optional<std::string> whyNotWritable(const std::filesystem::path &target) const override {
        if (const auto it = m_refusals.find(key(target)); it != m_refusals.end()) {
            return it->second;
        }
        const platform::TargetKind kind = kindOf(target);
        if (kind == platform::TargetKind::Directory) {
            return std::string("is a directory");
        }
        const std::filesystem::path folder = target.parent_path();
        if (kind == platform::TargetKind::StandardOutput || folder.empty() ||
            kindOf(folder) == platform::TargetKind::Directory) {
            return std::nullopt;
        }
        return kindOf(folder) == platform::TargetKind::Missing
                   ? "the folder " + folder.u8string() + " does not exist"
                   : folder.u8string() + " is not a folder";
    }

    std::unique_ptr<platform::FileSink> open(const std::filesystem::path &target) override {
        if (auto problem = whyNotWritable(target)) {
            throw platform::saveError(target, *problem);
        }
        if (kindOf(target) == platform::TargetKind::StandardOutput) {
            m_entries.try_emplace(key(target), Entry{platform::TargetKind::StandardOutput, {}});
        }
        return std::make_unique<Sink>(*this, target);
    }

private:
    struct Entry {
        platform::TargetKind kind;
        std::string bytes;
    };

    class Sink : public platform::FileSink {
    public:
        Sink(MemoryFileSaver &saver, std::filesystem::path target)
            : m_saver(saver), m_target(std::move(target)),
              m_direct(saver.kindOf(m_target) == platform::TargetKind::StandardOutput) {}

        void write(std::string_view bytes) override {
            checkUsable();
            const auto full = m_saver.m_diskFullAfter.find(key(m_target));
            const bool fills =
                full != m_saver.m_diskFullAfter.end() && m_written + bytes.size() > full->second;
            land(fills ? bytes.substr(0, full->second - m_written) : bytes);
            if (fills) {
                m_failed = true;
                throw platform::saveError(m_target, "no space left on device");
            }
        }
        void commit() override {
            checkUsable();
            m_finished = true;
            if (!m_direct) {
                m_saver.m_entries[key(m_target)] =
                    Entry{platform::TargetKind::Regular, std::move(m_pending)};
                ++m_saver.m_commits;
            }
        }

    private:
        void checkUsable() const {
            if (m_failed || m_finished) {
                throw platform::saveError(m_target, m_failed ? "an earlier write failed"
                                                             : "the file was already finished");
            }
        }
        void land(std::string_view bytes) {
            m_written += bytes.size();
            (m_direct ? m_saver.m_entries[key(m_target)].bytes : m_pending).append(bytes);
        }

        MemoryFileSaver &m_saver;
        std::filesystem::path m_target;
        bool m_direct;
        std::string m_pending;
        std::size_t m_written = 0;
        bool m_failed = false;
        bool m_finished = false;
    };

    static std::string key(const std::filesystem::path &path) { return path.generic_u8string(); }

    std::map<std::string, Entry> m_entries;
    std::map<std::string, std::size_t> m_diskFullAfter;
    std::map<std::string, std::string> m_refusals;
    int m_commits = 0;
};

} // namespace aql::test
