#pragma once

#include "platform/FileSaver.h"

#include <fstream>
#include <memory>
#include <string>
#include <system_error>

namespace aql::test {

// A plain saver for logic tests that read back what they wrote with the real file readers, in
// builds without Qt: bytes go to "<target>.test-part" and are renamed over the target at commit.
// Anything but a folder counts as a regular file; the platform's saver tells devices apart.
class DiskFileSaver : public platform::FileSaver {
public:
    platform::TargetKind kindOf(const std::filesystem::path &target) const override {
        std::error_code ec;
        const auto s = std::filesystem::status(target, ec);
        if (!std::filesystem::exists(s)) {
            return platform::TargetKind::Missing;
        }
        return std::filesystem::is_directory(s) ? platform::TargetKind::Directory
                                                : platform::TargetKind::Regular;
    }

    std::optional<std::string> whyNotWritable(const std::filesystem::path &target) const override {
        std::error_code ec;
        const auto parent =
            target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
        if (!std::filesystem::is_directory(parent, ec)) {
            return std::string("no such folder");
        }
        if (kindOf(target) == platform::TargetKind::Directory) {
            return std::string("is a directory");
        }
        return std::nullopt;
    }

    std::unique_ptr<platform::FileSink> open(const std::filesystem::path &target) override {
        if (auto why = whyNotWritable(target)) {
            throw platform::saveError(target, *why);
        }
        return std::make_unique<Sink>(target);
    }

private:
    class Sink : public platform::FileSink {
    public:
        explicit Sink(std::filesystem::path target)
            : m_target(std::move(target)), m_temp(m_target.string() + ".test-part"),
              m_out(m_temp, std::ios::binary | std::ios::trunc) {
            if (!m_out) {
                throw platform::saveError(m_target, "cannot create the file");
            }
        }
        ~Sink() override {
            if (!m_committed) {
                m_out.close();
                std::error_code ignored;
                std::filesystem::remove(m_temp, ignored);
            }
        }
        void write(std::string_view bytes) override {
            m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!m_out) {
                throw platform::saveError(m_target, "writing failed");
            }
        }
        void commit() override {
            m_out.close();
            std::error_code ec;
            std::filesystem::rename(m_temp, m_target, ec);
            if (m_out.fail() || ec) {
                throw platform::saveError(m_target, ec ? ec.message() : "closing failed");
            }
            m_committed = true;
        }

    private:
        std::filesystem::path m_target;
        std::filesystem::path m_temp;
        std::ofstream m_out;
        bool m_committed = false;
    };
};

} // namespace aql::test
