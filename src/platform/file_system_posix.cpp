// POSIX implementation of the platform services declared in file_system.h.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

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

}  // namespace

std::optional<std::string> first_regular_file(const std::string& folder) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return std::nullopt;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.') continue;  // hidden files, "." and ".."
        if (is_regular(folder, *entry)) return std::string(entry->d_name);
    }
    return std::nullopt;
}

bool remove_file(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

namespace {

bool write_all(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<std::vector<unsigned char>> read_whole_file(const std::string& path,
                                                          std::size_t max_bytes) {
    InputFile file(path);
    if (!file.is_open() || file.size_at_open() > max_bytes) return std::nullopt;
    // Room for the file as it was opened and one byte more, to see its end in the same read;
    // a file that grows meanwhile is read on in steps, up to max_bytes.
    std::vector<unsigned char> bytes(file.size_at_open() + 1);
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > max_bytes) return std::nullopt;
            bytes.resize(size + std::size_t{64} * 1024);
        }
        const long n = file.read(reinterpret_cast<char*>(bytes.data() + size), bytes.size() - size);
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    if (size > max_bytes) return std::nullopt;
    bytes.resize(size);
    return bytes;
}

bool write_whole_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = write_all(fd, bytes.data(), bytes.size());
    return ::close(fd) == 0 && written;
}

InputFile::InputFile(const std::string& path) {
    // Non-blocking open so that a FIFO in the data folder cannot stall the batch.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<std::size_t>(st.st_size);
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

long InputFile::read(char* buf, std::size_t size) {
    if (fd_ < 0) return -1;
    for (;;) {
        const ssize_t n = ::read(fd_, buf, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

ReplacementFile::ReplacementFile(const std::string& target) : target_(target) {
    // Same folder as the target, so that the final rename never crosses file systems.
    const std::size_t cut = target.find_last_of(separator());
    const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? target : target.substr(cut + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) return;
    temp_path_ = pattern;
    // mkstemp creates the file for its owner only; a published chart must be readable by the
    // web server like any file the operator's umask allows.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
}

ReplacementFile::~ReplacementFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_path_.empty()) ::unlink(temp_path_.c_str());
}

bool ReplacementFile::write(const unsigned char* data, std::size_t size) {
    return fd_ >= 0 && write_all(fd_, data, size);
}

bool ReplacementFile::commit() {
    if (temp_path_.empty()) return false;
    if (fd_ >= 0) {
        if (::close(fd_) != 0) {
            fd_ = -1;
            return false;
        }
        fd_ = -1;
    }
    if (::rename(temp_path_.c_str(), target_.c_str()) != 0) return false;
    committed_ = true;
    return true;
}

FileLock::FileLock(const std::string& path, std::chrono::milliseconds wait) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            locked_ = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= until) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace ftes::platform
