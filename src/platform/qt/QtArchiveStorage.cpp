#include "platform/qt/QtArchiveStorage.h"

#include "core/Error.h"
#include "platform/FileSaver.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSysInfo>

#include <cerrno>
#include <string>

#ifdef Q_OS_WIN
#include <QFile>
#include <QLockFile>
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace aql::platform {

namespace fs = std::filesystem;

namespace {

// The holder text is shown to an operator: printable, one line, short.
constexpr std::size_t kLongestHolder = 200;

AqlError archiveError(std::string_view doing, const fs::path &path, std::string_view reason) {
    return AqlError(errc::kPathFileAccess, "ArchiveStorage",
                    "Could not " + std::string(doing) + " " + path.u8string() + ": " +
                        std::string(reason));
}

std::string cleanHolder(std::string text) {
    for (char &c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            c = ' ';
        }
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() > kLongestHolder) {
        text.resize(kLongestHolder);
    }
    return text;
}

#ifndef Q_OS_WIN

std::string lastReason() {
    return systemReason(errno);
}

// Retries a call the system interrupted for a signal.
template <class Call> auto retried(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

class PosixArchiveFile final : public ArchiveFile {
public:
    PosixArchiveFile(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixArchiveFile() override { ::close(m_fd); }
    PosixArchiveFile(const PosixArchiveFile &) = delete;
    PosixArchiveFile &operator=(const PosixArchiveFile &) = delete;

    std::uint64_t size() override {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0) {
            throw archiveError("read", m_path, lastReason());
        }
        return static_cast<std::uint64_t>(info.st_size);
    }

    std::size_t read(std::uint64_t offset, char *buffer, std::size_t length) override {
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n = retried([&] {
                return ::pread(m_fd, buffer + done, length - done,
                               static_cast<off_t>(offset + done));
            });
            if (n < 0) {
                throw archiveError("read", m_path, lastReason());
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    void append(std::string_view bytes) override {
        // A full disk or a size limit cuts a write short without an error; the retry of the
        // remainder then brings out the reason.
        while (!bytes.empty()) {
            const ssize_t n = retried([&] { return ::write(m_fd, bytes.data(), bytes.size()); });
            if (n < 0) {
                throw archiveError("write", m_path, lastReason());
            }
            if (n == 0) {
                throw archiveError("write", m_path, "the system wrote nothing");
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

    void flush() override {
        if (retried([&] { return ::fsync(m_fd); }) != 0) {
            throw archiveError("write", m_path, lastReason());
        }
    }

    void truncate(std::uint64_t newSize) override {
        if (newSize < size() &&
            retried([&] { return ::ftruncate(m_fd, static_cast<off_t>(newSize)); }) != 0) {
            throw archiveError("shorten", m_path, lastReason());
        }
        flush();
    }

private:
    int m_fd;
    fs::path m_path;
};

// A new name in a folder survives a power cut only once the folder itself is on the disk.
void syncFolder(const fs::path &file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        throw archiveError("create", file, lastReason());
    }
    const int result = retried([&] { return ::fsync(fd); });
    const std::string reason = result != 0 ? lastReason() : std::string();
    ::close(fd);
    if (result != 0) {
        throw archiveError("create", file, reason);
    }
}

void requireRegular(int fd, const fs::path &path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const std::string reason = lastReason();
        ::close(fd);
        throw archiveError("open", path, reason);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw archiveError("open", path, "it is not a regular file");
    }
}

class PosixLock final : public ArchiveLock {
public:
    explicit PosixLock(int fd) : m_fd(fd) {}
    ~PosixLock() override {
        // The text would name a holder that is gone; the file stays, since removing it would let
        // a console that opened it just before lock a name nobody else can see.
        (void)::ftruncate(m_fd, 0);
        ::close(m_fd); // releases the lock
    }
    PosixLock(const PosixLock &) = delete;
    PosixLock &operator=(const PosixLock &) = delete;

private:
    int m_fd;
};

std::string readHolder(int fd) {
    char text[kLongestHolder * 2];
    const ssize_t n = retried([&] { return ::pread(fd, text, sizeof text, 0); });
    return n > 0 ? cleanHolder(std::string(text, static_cast<std::size_t>(n))) : std::string();
}

#else // Q_OS_WIN

QString toQString(const fs::path &path) {
    return QString::fromStdWString(path.native());
}

std::string reasonOf(const QFileDevice &file) {
    std::string text = file.errorString().toStdString();
    if (text.empty()) {
        return "the system reported no reason";
    }
    if (text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

class QtArchiveFile final : public ArchiveFile {
public:
    QtArchiveFile(std::unique_ptr<QFile> file, fs::path path)
        : m_file(std::move(file)), m_path(std::move(path)) {}

    std::uint64_t size() override { return static_cast<std::uint64_t>(m_file->size()); }

    std::size_t read(std::uint64_t offset, char *buffer, std::size_t length) override {
        if (!m_file->seek(static_cast<qint64>(offset))) {
            throw archiveError("read", m_path, reasonOf(*m_file));
        }
        std::size_t done = 0;
        while (done < length) {
            const qint64 n = m_file->read(buffer + done, static_cast<qint64>(length - done));
            if (n < 0) {
                throw archiveError("read", m_path, reasonOf(*m_file));
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    void append(std::string_view bytes) override {
        if (!m_file->seek(m_file->size())) {
            throw archiveError("write", m_path, reasonOf(*m_file));
        }
        while (!bytes.empty()) {
            const qint64 n = m_file->write(bytes.data(), static_cast<qint64>(bytes.size()));
            if (n <= 0) {
                throw archiveError("write", m_path, reasonOf(*m_file));
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

    void flush() override {
        // FlushFileBuffers underneath.
        if (::_commit(m_file->handle()) != 0) {
            throw archiveError("write", m_path, systemReason(errno));
        }
    }

    void truncate(std::uint64_t newSize) override {
        if (newSize < size() && !m_file->resize(static_cast<qint64>(newSize))) {
            throw archiveError("shorten", m_path, reasonOf(*m_file));
        }
        flush();
    }

private:
    std::unique_ptr<QFile> m_file;
    fs::path m_path;
};

class QtLock final : public ArchiveLock {
public:
    explicit QtLock(std::unique_ptr<QLockFile> lock) : m_lock(std::move(lock)) {}

private:
    std::unique_ptr<QLockFile> m_lock; // unlocks and removes the file when destroyed
};

#endif

} // namespace

std::string archiveHolderIdentity() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = qEnvironmentVariable("USERNAME");
    }
    if (user.isEmpty()) {
        user = QStringLiteral("an unknown user");
    }
    const QString text =
        QStringLiteral("%1 on %2, process %3, since %4")
            .arg(user, QSysInfo::machineHostName(),
                 QString::number(QCoreApplication::applicationPid()),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    return cleanHolder(text.toStdString());
}

#ifndef Q_OS_WIN

LockAttempt QtArchiveStorage::tryLock(const fs::path &path) {
    const int fd =
        retried([&] { return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666); });
    if (fd < 0) {
        throw archiveError("lock", path, lastReason());
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            std::string holder = readHolder(fd);
            ::close(fd);
            return {nullptr, std::move(holder)};
        }
        ::close(fd);
        throw archiveError("lock", path, systemReason(error));
    }
    auto lock = std::make_unique<PosixLock>(fd);
    // The text is a courtesy to the next console: the lock is held whether or not it lands.
    const std::string identity = archiveHolderIdentity() + "\n";
    if (::ftruncate(fd, 0) == 0) {
        (void)!::pwrite(fd, identity.data(), identity.size(), 0);
    }
    return {std::move(lock), {}};
}

std::unique_ptr<ArchiveFile> QtArchiveStorage::openForAppending(const fs::path &path) {
    int fd = retried([&] {
        return ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    });
    const bool created = fd >= 0;
    if (!created && errno == EEXIST) {
        fd = retried([&] { return ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC); });
    }
    if (fd < 0) {
        throw archiveError("open", path, lastReason());
    }
    requireRegular(fd, path);
    auto file = std::make_unique<PosixArchiveFile>(fd, path);
    if (created) {
        syncFolder(path);
    }
    return file;
}

std::unique_ptr<ArchiveReader> QtArchiveStorage::openForReading(const fs::path &path) {
    const int fd = retried([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
    if (fd < 0) {
        if (errno == ENOENT) {
            return nullptr;
        }
        throw archiveError("open", path, lastReason());
    }
    requireRegular(fd, path);
    return std::make_unique<PosixArchiveFile>(fd, path);
}

#else // Q_OS_WIN

LockAttempt QtArchiveStorage::tryLock(const fs::path &path) {
    auto lock = std::make_unique<QLockFile>(toQString(path));
    // Age alone must never make a lock stale: a console holds its archive for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        return {std::make_unique<QtLock>(std::move(lock)), {}};
    }
    if (lock->error() != QLockFile::LockFailedError) {
        throw archiveError("lock", path,
                           lock->error() == QLockFile::PermissionError
                               ? std::string("permission denied")
                               : std::string("the system reported no reason"));
    }
    qint64 pid = 0;
    QString host;
    QString application;
    std::string holder;
    if (lock->getLockInfo(&pid, &host, &application)) {
        holder =
            cleanHolder(QStringLiteral("%1 on %2, process %3")
                            .arg(application.isEmpty() ? QStringLiteral("a program") : application,
                                 host, QString::number(pid))
                            .toStdString());
    }
    return {nullptr, std::move(holder)};
}

std::unique_ptr<ArchiveFile> QtArchiveStorage::openForAppending(const fs::path &path) {
    auto file = std::make_unique<QFile>(toQString(path));
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        throw archiveError("open", path, reasonOf(*file));
    }
    return std::make_unique<QtArchiveFile>(std::move(file), path);
}

std::unique_ptr<ArchiveReader> QtArchiveStorage::openForReading(const fs::path &path) {
    auto file = std::make_unique<QFile>(toQString(path));
    if (!file->exists()) {
        return nullptr;
    }
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        throw archiveError("open", path, reasonOf(*file));
    }
    return std::make_unique<QtArchiveFile>(std::move(file), path);
}

#endif

} // namespace aql::platform
