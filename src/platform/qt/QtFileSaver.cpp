// What QSaveFile (Qt 6.4) does by itself on Linux, and what this file adds:
// - It creates the temporary file unnamed (O_TMPFILE) in the target's folder, so a killed writer
//   leaves nothing visible (where a file system cannot, Qt falls back to a random name created
//   exclusively, which a killed writer leaves behind). At commit it links the file in with
//   linkat(), which never follows a symbolic link planted at the name: straight under the
//   target's name when that is free, else under a random name then renamed over the target.
// - It follows a symbolic link target to the file it names and copies that file's rwx bits.
//   The owner and the set-id bits are left to us.
// - It cannot tell a device or a pipe from a file and would rename its temporary file over
//   /dev/null when run as root: such targets are opened here and written straight into.
// - A write the system cuts short (a size limit, a full disk) comes back as a short count with
//   no error, and commit() then reports success: every count is checked here, and the retry of
//   the remainder brings out the system's reason.
// - When linking the finished file into the folder fails, it gives no reason: the reason is
//   looked for again here.
// - It syncs the file to disk before the rename but ignores a failure: the sync is done here
//   first, and a failure keeps the old target.
// - It leaves the rename itself in the folder's cache: after a power cut the folder could still
//   name the old file. The folder is synced here once the rename is done.

#include "platform/qt/QtFileSaver.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <system_error>
#include <utility>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif
#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace aql::platform {

namespace fs = std::filesystem;

namespace {

// Fewer, larger writes: the exports hand over one record line at a time.
constexpr std::size_t kBufferSize = std::size_t{256} * 1024;
constexpr int kMaxLinkDepth = 40;

QString toQString(const fs::path &path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::string lowerFirst(std::string text) {
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

std::string reasonOf(const QFileDevice &file) {
    const QString text = file.errorString();
    if (file.error() == QFileDevice::NoError || text.isEmpty()) {
        return "the system reported no reason";
    }
    return lowerFirst(text.toStdString());
}

std::string errorText(std::errc error) {
    return lowerFirst(std::make_error_code(error).message());
}

struct Resolved {
    fs::path path;
    std::string problem; // empty when the chain of links could be followed
};

// The path a chain of symbolic links ends at, existing or not: the file to be replaced or
// created, while the links themselves stay as they are.
Resolved followLinks(const fs::path &target) {
    fs::path current = target;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec))) {
            return {current, {}};
        }
        fs::path next = fs::read_symlink(current, ec);
        if (ec) {
            return {current, lowerFirst(ec.message())};
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return {current, errorText(std::errc::too_many_symbolic_link_levels)};
}

std::optional<std::string> accessProblem(const fs::path &path, bool isFolder) {
#ifdef Q_OS_UNIX
    if (::access(path.c_str(), isFolder ? (W_OK | X_OK) : W_OK) != 0) {
        return systemReason(errno);
    }
    return std::nullopt;
#else
    (void)isFolder;
    if (!QFileInfo(toQString(path)).isWritable()) {
        return errorText(std::errc::permission_denied);
    }
    return std::nullopt;
#endif
}

// Why a file could not be created or replaced at `file` (no link), as far as can be told
// without trying.
std::optional<std::string> replacingProblem(const fs::path &file) {
    if (!file.has_filename()) {
        return errorText(std::errc::is_a_directory);
    }
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (fs::is_directory(status)) {
        return errorText(std::errc::is_a_directory);
    }
    if (fs::is_regular_file(status)) {
        if (auto problem = accessProblem(file, false)) {
            return problem;
        }
    }
    const fs::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const auto folderStatus = fs::status(folder, ec);
    if (!fs::exists(folderStatus)) {
        return "the folder " + folder.u8string() + " does not exist";
    }
    if (!fs::is_directory(folderStatus)) {
        return folder.u8string() + " is not a folder";
    }
    return accessProblem(folder, true);
}

class QtFileSink final : public FileSink {
public:
    // `finalName` is the file a replacing sink renames over; empty for a sink that writes
    // straight into its target.
    QtFileSink(fs::path target, std::unique_ptr<QFileDevice> file, fs::path finalName)
        : m_target(std::move(target)), m_finalName(std::move(finalName)), m_file(std::move(file)) {}

    void write(std::string_view bytes) override {
        checkUsable();
        if (m_buffer.size() + bytes.size() <= kBufferSize) {
            m_buffer.append(bytes);
            return;
        }
        flushBuffer();
        if (bytes.size() >= kBufferSize) {
            writeOut(bytes);
        } else {
            m_buffer.append(bytes);
        }
    }

    void commit() override {
        checkUsable();
        flushBuffer();
        if (m_finalName.empty()) {
            m_finished = true;
            return;
        }
        syncToDisk();
        checkStillRegular();
        auto &save = static_cast<QSaveFile &>(*m_file);
        if (!save.commit()) {
            // Qt gives no reason when linking the file into the folder fails; asking again
            // finds it in most cases.
            fail(replacingProblem(m_finalName).value_or(reasonOf(save)));
        }
        m_finished = true;
        syncFolderToDisk();
    }

private:
    void checkUsable() {
        if (m_failed) {
            throw saveError(m_target, "an earlier write failed");
        }
        if (m_finished) {
            throw saveError(m_target, "the file was already finished");
        }
    }

    [[noreturn]] void fail(const std::string &reason) {
        m_failed = true;
        m_buffer.clear();
        throw saveError(m_target, reason);
    }

    void flushBuffer() {
        if (!m_buffer.empty()) {
            writeOut(m_buffer);
            m_buffer.clear();
        }
    }

    void writeOut(std::string_view bytes) {
        while (!bytes.empty()) {
            const qint64 written = m_file->write(bytes.data(), static_cast<qint64>(bytes.size()));
            if (written <= 0) {
                fail(reasonOf(*m_file));
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    void syncToDisk() {
#ifdef Q_OS_UNIX
        if (::fsync(m_file->handle()) != 0) {
            fail(systemReason(errno));
        }
#endif
    }

    void syncFolderToDisk() {
#ifdef Q_OS_UNIX
        const fs::path folder = m_finalName.has_parent_path() ? m_finalName.parent_path() : ".";
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            throw saveError(m_target, "the file was written, but its folder could not be opened "
                                      "to flush it to disk: " +
                                          systemReason(errno));
        }
        const int result = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        // Some file systems cannot sync a folder and say so; they keep it in order by themselves.
        if (result != 0 && error != EINVAL && error != ENOTSUP) {
            throw saveError(m_target, "the file was written, but its folder could not be flushed "
                                      "to disk: " +
                                          systemReason(error));
        }
#endif
    }

    // The rename would replace whatever is there now: a folder fails by itself, but a device or
    // pipe put there while the file was written would be replaced like a file.
    void checkStillRegular() {
        std::error_code ec;
        const auto status = fs::status(m_finalName, ec);
        if (fs::is_directory(status)) {
            fail(errorText(std::errc::is_a_directory));
        }
        if (fs::exists(status) && !fs::is_regular_file(status)) {
            fail(m_finalName.u8string() + " is no longer a regular file");
        }
    }

    fs::path m_target;
    fs::path m_finalName;
    std::unique_ptr<QFileDevice> m_file;
    std::string m_buffer;
    bool m_failed = false;
    bool m_finished = false;
};

std::unique_ptr<FileSink> openStandardOutput(const fs::path &target) {
    // Whatever the program printed before must come out before the file.
    std::fflush(stdout);
#ifdef Q_OS_WIN
    // Text mode would turn every CR LF of the file into CR CR LF.
    _setmode(1, _O_BINARY);
#endif
    auto file = std::make_unique<QFile>();
    if (!file->open(1, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::DontCloseHandle)) {
        throw saveError(target, reasonOf(*file));
    }
    return std::make_unique<QtFileSink>(target, std::move(file), fs::path());
}

// A device, pipe or socket, opened without creating or truncating anything; null when the path
// names a regular file after all (it was replaced since it was looked at).
std::unique_ptr<FileSink> openDirect(const fs::path &target) {
    auto file = std::make_unique<QFile>();
#ifdef Q_OS_UNIX
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        throw saveError(target, systemReason(errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw saveError(target, reasonOf(*file));
    }
#else
    file->setFileName(toQString(target));
    if (!file->open(QIODevice::WriteOnly | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        throw saveError(target, reasonOf(*file));
    }
#endif
    return std::make_unique<QtFileSink>(target, std::move(file), fs::path());
}

std::unique_ptr<FileSink> openReplacing(const fs::path &target, const fs::path &finalName) {
    auto file = std::make_unique<QSaveFile>(toQString(finalName));
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw saveError(target, reasonOf(*file));
    }
#ifdef Q_OS_UNIX
    struct stat old {};
    if (::stat(finalName.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        // Only root may give a file away; anyone else keeps the new file as their own.
        (void)!::fchown(file->handle(), old.st_uid, old.st_gid);
        if (::fchmod(file->handle(), old.st_mode & 07777) != 0) {
            throw saveError(target, systemReason(errno));
        }
    }
#endif
    return std::make_unique<QtFileSink>(target, std::move(file), finalName);
}

} // namespace

TargetKind QtFileSaver::kindOf(const fs::path &target) const {
    if (target == "-") {
        return TargetKind::StandardOutput;
    }
    std::error_code ec;
    const auto status = fs::status(target, ec);
    switch (status.type()) {
    case fs::file_type::regular: return TargetKind::Regular;
    case fs::file_type::directory: return TargetKind::Directory;
    case fs::file_type::none:
    case fs::file_type::not_found: return TargetKind::Missing;
    default: return TargetKind::NotRegular;
    }
}

std::optional<std::string> QtFileSaver::whyNotWritable(const fs::path &target) const {
    if (target.empty()) {
        return std::string("no file name given");
    }
    switch (kindOf(target)) {
    case TargetKind::StandardOutput: return std::nullopt;
    case TargetKind::Directory: return errorText(std::errc::is_a_directory);
    case TargetKind::NotRegular: return accessProblem(target, false);
    case TargetKind::Regular:
    case TargetKind::Missing: break;
    }
    const Resolved resolved = followLinks(target);
    if (!resolved.problem.empty()) {
        return resolved.problem;
    }
    return replacingProblem(resolved.path);
}

std::unique_ptr<FileSink> QtFileSaver::open(const fs::path &target) {
    const TargetKind kind = kindOf(target);
    if (kind == TargetKind::StandardOutput) {
        return openStandardOutput(target);
    }
    if (kind == TargetKind::NotRegular) {
        if (auto sink = openDirect(target)) {
            return sink;
        }
    }
    if (auto problem = whyNotWritable(target)) {
        throw saveError(target, *problem);
    }
    return openReplacing(target, followLinks(target).path);
}

} // namespace aql::platform
