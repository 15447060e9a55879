#pragma once

#include <filesystem>
#include <string>

namespace aql::test {

// A fresh folder under the system's temporary folder, removed with everything in it on scope exit.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    std::filesystem::path operator/(const std::string &name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Whole file as bytes; writes bytes exactly (no line-end translation).
std::string readBytes(const std::filesystem::path &file);
void writeBytes(const std::filesystem::path &file, const std::string &bytes);

// A file of the hand-written fixtures folder.
std::filesystem::path fixture(const std::string &name);

} // namespace aql::test
