// SPDX-License-Identifier: MIT
// POSIX implementation of the platform services declared in file_system.h.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <thread>

#include "platform/file_system.h"

namespace ftes::platform {

char separator() {
    return '/';
}

std::string current_directory() {
    std::vector<char> buf(4096);
    while (buf.size() <= (1u << 20)) {
        if (::getcwd(buf.data(), buf.size()) != nullptr) return std::string(buf.data());
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    return {};
}

std::optional<std::chrono::year_month_day> local_today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || ::localtime_r(&now, &local) == nullptr) {
        return std::nullopt;
    }
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

namespace {

// The system's words for errno, about a file.
Error system_error(const std::string& path) {
    return {path, std::strerror(errno)};
}

// Why a file could not be opened for reading: not there, or there but not to be opened.
Error open_error(const std::string& path) {
    if (errno == ENOENT || errno == ENOTDIR) return {path, not_found_text, true};
    return system_error(path);
}

}  // namespace

std::string local_timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) return {};
    const long offset = local.tm_gmtoff / 60;
    const long size = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', size / 60, size % 60);
    return text;
}

std::string ansi_to_utf8(std::string_view text) {
    return std::string(text);
}

namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

bool is_regular(const std::string& folder, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
    struct stat st {};
    const std::string path =
        (folder.empty() ? std::string(".") + separator() : folder) + entry.d_name;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int fd_of(std::intptr_t handle) {
    return static_cast<int>(handle);
}

bool write_all(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Files the batch creates get the permissions the operator's umask allows, so that the web
// server can read the charts.
constexpr mode_t new_file_mode = 0666;
constexpr int create_flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

// The folder part of a path, "." for a bare name.
std::string folder_of(const std::string& path) {
    const std::size_t cut = path.find_last_of(separator());
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut + 1);
}

}  // namespace

struct FolderListing::State {
    std::unique_ptr<DIR, DirCloser> dir;
};

FolderListing::FolderListing(const std::string& folder) : folder_(folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        error_ = system_error(folder);
        return;
    }
    state_ = new State{std::unique_ptr<DIR, DirCloser>(dir)};
}

FolderListing::~FolderListing() {
    delete state_;
}

std::optional<std::string> FolderListing::next_regular_file() {
    if (state_ == nullptr || error_) return std::nullopt;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(state_->dir.get());
        if (entry == nullptr) {
            // The end of the listing leaves errno alone; a failed read of it sets it.
            if (errno != 0) error_ = system_error(folder_);
            return std::nullopt;
        }
        if (entry->d_name[0] == '.') continue;  // hidden files, "." and ".."
        if (is_regular(folder_, *entry)) return std::string(entry->d_name);
    }
}

bool regular_file_exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folder_writable(const std::string& path) {
    return ::access(path.empty() ? "." : path.c_str(), W_OK | X_OK) == 0;
}

bool folder_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Result<> remove_file(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return system_error(path);
    return {};
}

InputFile::InputFile(const std::string& path) {
    // Non-blocking open so that a FIFO in the data folder cannot stall the batch.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    // The path is left out of its errors: the one who opened it names it, and a sounding name
    // that is not there, as most are not, costs no copy of it.
    if (fd < 0) {
        error_ = open_error({});
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = S_ISREG(st.st_mode) ? system_error({}) : Error{{}, not_regular_text};
        ::close(fd);
        return;
    }
    handle_ = fd;
    size_ = static_cast<std::size_t>(st.st_size);
}

InputFile::~InputFile() {
    if (is_open()) ::close(fd_of(handle_));
}

Result<std::size_t> InputFile::read(char* buf, std::size_t size) {
    if (!is_open()) return *error_;
    for (;;) {
        const ssize_t n = ::read(fd_of(handle_), buf, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) {
            error_ = system_error({});
            return *error_;
        }
    }
}

Result<> write_new_file(const std::string& path, std::span<const unsigned char> bytes) {
    // Whatever stands at the name goes first; the exclusive, non-following create then fails
    // rather than write anywhere but into a new file of this folder.
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), create_flags, new_file_mode);
    if (fd < 0) return system_error(path);
    std::optional<Error> why;
    if (!write_all(fd, bytes.data(), bytes.size())) why = system_error(path);
    if (::close(fd) != 0 && !why) why = system_error(path);
    if (why) return *why;
    return {};
}

namespace {

// A temporary name is in use while the run writing it holds a lock on it. One that nobody holds
// was left by a killed run; a link there was never made by a run at all.
bool left_behind(const std::string& temp) {
    const int fd = ::open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ELOOP;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

int create_temporary(const std::string& temp) {
    int fd = ::open(temp.c_str(), create_flags, new_file_mode);
    if (fd < 0 && errno == EEXIST) {
        if (!left_behind(temp)) {
            errno = EEXIST;
            return -1;
        }
        ::unlink(temp.c_str());
        fd = ::open(temp.c_str(), create_flags, new_file_mode);
    }
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Another run took the fresh file in the moment between: it is theirs now.
        ::close(fd);
        errno = EEXIST;
        return -1;
    }
    return fd;
}

}  // namespace

ReplacementFile::ReplacementFile(const std::string& target, Durability durability)
    : target_(target), temp_path_(temporary_name(target)), durability_(durability) {
    const int fd = create_temporary(temp_path_);
    if (fd < 0) {
        error_ = errno == EEXIST ? Error{target_, "another run is writing " + temp_path_}
                                 : system_error(target_);
        temp_path_.clear();
        return;
    }
    handle_ = fd;
}

ReplacementFile::~ReplacementFile() {
    // The temporary goes while its lock is still held, so that no other run takes it for one
    // left behind in between.
    if (!committed_ && !temp_path_.empty()) ::unlink(temp_path_.c_str());
    if (is_open()) ::close(fd_of(handle_));
}

Error ReplacementFile::fail() {
    return system_error(target_);
}

Result<> ReplacementFile::write(const unsigned char* data, std::size_t size) {
    if (!is_open()) return *error_;
    if (!write_all(fd_of(handle_), data, size)) return fail();
    return {};
}

Result<> ReplacementFile::commit() {
    if (!is_open()) return *error_;
    const int fd = fd_of(handle_);
    if (durability_ == Durability::flushed && ::fdatasync(fd) != 0) return fail();
    // The lock on the temporary marks it as being written until it has its final name.
    if (::rename(temp_path_.c_str(), target_.c_str()) != 0) return fail();
    committed_ = true;
    handle_ = invalid;
    if (::close(fd) != 0) return fail();
    if (durability_ == Durability::ordinary) return {};
    // The new folder entry reaches the disk too: without this a power cut could undo the
    // rename and leave the old copy, or nothing where a new name was added.
    const int dir = ::open(folder_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return fail();
    std::optional<Error> why;
    if (::fsync(dir) != 0) why = fail();
    ::close(dir);
    if (why) return *why;
    return {};
}

namespace {

// Takes the lock of the descriptor, trying until the moment given.
bool lock_until(int fd, std::chrono::steady_clock::time_point until) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

StationLock::StationLock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = open_error(path);
        return;
    }
    handle_ = fd;
    // The folder holds the bell; a folder that cannot be opened leaves the turn without one.
    bell_ = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

StationLock::~StationLock() {
    // Closing releases the locks.
    if (bell_ >= 0) ::close(fd_of(bell_));
    if (is_open()) ::close(fd_of(handle_));
}

bool StationLock::acquire(std::chrono::milliseconds wait) {
    if (!is_open()) return false;
    if (held_) return true;
    const auto until = std::chrono::steady_clock::now() + wait;
    const bool rung = bell_ >= 0 && lock_until(fd_of(bell_), until);
    if (bell_ >= 0 && !rung) return false;
    held_ = lock_until(fd_of(handle_), until);
    if (rung) ::flock(fd_of(bell_), LOCK_UN);
    return held_;
}

void StationLock::release() {
    if (held_) ::flock(fd_of(handle_), LOCK_UN);
    held_ = false;
}

int remove_left_temporaries(const std::string& folder, bool (*ours)(std::string_view name)) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!ours(entry->d_name)) continue;
        const std::string path = folder + entry->d_name;
        if (left_behind(path) && ::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace ftes::platform
