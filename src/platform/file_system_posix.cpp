// SPDX-License-Identifier: MIT
// POSIX implementation of the platform services declared in file_system.h.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <utility>

#include "platform/file_system.h"

namespace ftes::platform {

namespace {

// The system's words for errno, about a file.
Error system_error(const std::string& path) {
    return {path, std::strerror(errno)};
}

// Why a file could not be opened: not there, or there but not to be opened.
Error open_error(const std::string& path) {
    if (errno == ENOENT || errno == ENOTDIR) return {path, not_found_text, true};
    return system_error(path);
}

// A file descriptor that closes itself.
class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Hands the descriptor over: it is no longer closed here.
    int release() { return std::exchange(fd_, -1); }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

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
    const std::size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut + 1);
}

const char* or_here(const std::string& folder) {
    return folder.empty() ? "." : folder.c_str();
}

Kind kind_of_mode(mode_t mode) {
    if (S_ISREG(mode)) return Kind::regular;
    if (S_ISDIR(mode)) return Kind::folder;
    if (S_ISLNK(mode)) return Kind::link;
    return Kind::other;
}

Result<Kind> kind_from(int status, const struct stat& st, const std::string& path) {
    if (status == 0) return kind_of_mode(st.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) return Kind::absent;
    return system_error(path);
}

}  // namespace

char separator() {
    return '/';
}

Result<std::string> current_directory() {
    std::vector<char> buf(4096);
    while (buf.size() <= (1u << 20)) {
        if (::getcwd(buf.data(), buf.size()) != nullptr) return std::string(buf.data());
        if (errno != ERANGE) return Error{".", std::strerror(errno)};
        buf.resize(buf.size() * 2);
    }
    return Error{".", std::strerror(ENAMETOOLONG)};
}

Result<std::chrono::year_month_day> local_today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || ::localtime_r(&now, &local) == nullptr) {
        return Error{{}, std::strerror(errno != 0 ? errno : EOVERFLOW)};
    }
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::string local_timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    long offset = 0;
    if (::localtime_r(&now, &local) != nullptr) {
        offset = local.tm_gmtoff / 60;
    } else {
        ::gmtime_r(&now, &local);  // UTC, said as such by the offset
    }
    const long size = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', size / 60, size % 60);
    return text;
}

void write_stdout(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void write_stderr(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::string ansi_to_utf8(std::string_view text) {
    return std::string(text);
}

Result<Kind> kind_at(const std::string& path) {
    struct stat st {};
    return kind_from(::lstat(or_here(path), &st), st, path);
}

Result<Kind> kind_of_target(const std::string& path) {
    struct stat st {};
    return kind_from(::stat(or_here(path), &st), st, path);
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

struct FolderListing::State {
    std::unique_ptr<DIR, DirCloser> dir;
    std::string folder;
};

FolderListing::FolderListing(std::unique_ptr<State> state) : state_(std::move(state)) {}
FolderListing::FolderListing(FolderListing&&) noexcept = default;
FolderListing& FolderListing::operator=(FolderListing&&) noexcept = default;
FolderListing::~FolderListing() = default;

Result<FolderListing> FolderListing::open(const std::string& folder) {
    DIR* dir = ::opendir(or_here(folder));
    if (dir == nullptr) return open_error(folder);
    return FolderListing(
        std::make_unique<State>(State{std::unique_ptr<DIR, DirCloser>(dir), folder}));
}

Result<std::optional<std::string>> FolderListing::next_regular_file() {
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(state_->dir.get());
        if (entry == nullptr) {
            // The end of the listing leaves errno alone; a failed read of it sets it.
            if (errno != 0) return system_error(state_->folder);
            return std::optional<std::string>();
        }
        if (entry->d_name[0] == '.') continue;  // hidden files, "." and ".."
        if (is_regular(state_->folder, *entry)) {
            return std::optional<std::string>(std::string(entry->d_name));
        }
    }
}

Result<InputFile> InputFile::open(const std::string& path, Links links) {
    // Non-blocking open so that a FIFO in the data folder cannot stall the batch.
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == Links::refuse ? O_NOFOLLOW : 0);
    Descriptor fd(::open(path.c_str(), flags));
    if (!fd) {
        if (errno == ELOOP && links == Links::refuse) return Error{{}, link_refused_text};
        return open_error({});
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return system_error({});
    if (!S_ISREG(st.st_mode)) return Error{{}, not_regular_text};
    return InputFile(fd.release(), static_cast<std::size_t>(st.st_size));
}

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(std::exchange(other.handle_, invalid)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    std::swap(handle_, other.handle_);
    size_ = other.size_;
    return *this;
}

InputFile::~InputFile() {
    if (handle_ != invalid) ::close(fd_of(handle_));
}

Result<std::size_t> InputFile::read(char* buf, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_of(handle_), buf, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) return system_error({});
    }
}

Result<> InputFile::seek(std::size_t offset) {
    if (::lseek(fd_of(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) {
        return system_error({});
    }
    return {};
}

Result<> create_new_file(const std::string& path, std::span<const unsigned char> bytes) {
    // Exclusive and not following: it fails rather than write anywhere but into a new file.
    Descriptor fd(::open(path.c_str(), create_flags, new_file_mode));
    if (!fd) return system_error(path);
    if (!write_all(fd.get(), bytes.data(), bytes.size())) {
        const Error why = system_error(path);
        ::unlink(path.c_str());
        return why;
    }
    if (::close(fd.release()) != 0) {
        const Error why = system_error(path);
        ::unlink(path.c_str());
        return why;
    }
    return {};
}

Result<std::uint64_t> append_to_file(const std::string& path, std::string_view text) {
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                         new_file_mode));
    if (!fd) {
        if (errno == ELOOP) return Error{path, link_refused_text};
        return system_error(path);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return system_error(path);
    if (!S_ISREG(st.st_mode)) return Error{path, not_regular_text};
    if (!write_all(fd.get(), reinterpret_cast<const unsigned char*>(text.data()), text.size()) ||
        ::fstat(fd.get(), &st) != 0) {
        return system_error(path);
    }
    if (::close(fd.release()) != 0) return system_error(path);
    return static_cast<std::uint64_t>(st.st_size);
}

Result<> remove_file(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return system_error(path);
    return {};
}

Result<ReplacementFile> ReplacementFile::create(const std::string& target, Durability durability) {
    std::string temp = temporary_name(target);
    const int fd = ::open(temp.c_str(), create_flags, new_file_mode);
    if (fd < 0) return system_error(target);
    // Locked while it is written, so that a sweep of leftovers never takes it for one. A file
    // system that gives no locks leaves it unlocked: the sweep then goes by its age.
    ::flock(fd, LOCK_EX | LOCK_NB);
    return ReplacementFile(target, std::move(temp), durability, fd);
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : target_(std::move(other.target_)),
      temp_path_(std::move(other.temp_path_)),
      durability_(other.durability_),
      handle_(std::exchange(other.handle_, invalid)),
      committed_(std::exchange(other.committed_, true)) {}

ReplacementFile::~ReplacementFile() {
    // The temporary goes while its lock is still held.
    if (!committed_) ::unlink(temp_path_.c_str());
    if (handle_ != invalid) ::close(fd_of(handle_));
}

Result<> ReplacementFile::write(const unsigned char* data, std::size_t size) {
    if (!write_all(fd_of(handle_), data, size)) return system_error(target_);
    return {};
}

Result<Placed> ReplacementFile::commit() {
    const int fd = fd_of(handle_);
    if (durability_ == Durability::flushed && ::fdatasync(fd) != 0) return system_error(target_);
    // The lock on the temporary marks it as being written until it has its final name.
    if (::rename(temp_path_.c_str(), target_.c_str()) != 0) return system_error(target_);
    committed_ = true;
    handle_ = invalid;
    Placed placed;
    const auto after = [&](const char* what) {
        placed.not_flushed = Note{target_, std::string(what) + ": " + std::strerror(errno)};
    };
    if (::close(fd) != 0) after("in place, but closing it failed");
    if (durability_ == Durability::ordinary || placed.not_flushed) return placed;
    // The new folder entry reaches the disk too: without this a power cut could undo the
    // rename and leave the old copy, or nothing where a new name was added.
    const Descriptor dir(::open(folder_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir || ::fsync(dir.get()) != 0) after("in place, but its folder could not be flushed");
    return placed;
}

namespace {

// What a temporary left in a folder is: a live run's (locked), or a leftover.
bool left_behind(const std::string& path, const struct stat& st) {
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return false;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK || errno == EINTR) return false;
        // No locks here: only what no run could still be writing.
        return std::time(nullptr) - st.st_mtime > 3600;
    }
    // Still the file looked at: while its lock is held here, no other sweep removes it.
    struct stat now {};
    return ::fstat(fd.get(), &now) == 0 && now.st_ino == st.st_ino && now.st_dev == st.st_dev;
}

}  // namespace

Result<Swept> sweep_temporaries(const std::string& folder, bool (*ours)(std::string_view name)) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(or_here(folder)));
    if (!dir) return open_error(folder);
    Swept swept;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!ours(entry->d_name)) continue;
        const std::string path = folder + entry->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;  // gone meanwhile
        int removed = -1;
        if (S_ISDIR(st.st_mode)) {
            removed = ::rmdir(path.c_str());
            if (removed != 0) {
                swept.left.push_back(
                    {path, (errno == ENOTEMPTY || errno == EEXIST
                                ? std::string("a folder that is not empty stands at a temporary "
                                              "name of the batch; fix: remove it")
                                : "a folder stands at a temporary name of the batch and cannot be "
                                  "removed: " +
                                      std::string(std::strerror(errno)))});
            }
        } else if (!S_ISREG(st.st_mode) || left_behind(path, st)) {
            removed = ::unlink(path.c_str());
        }
        swept.removed += removed == 0;
    }
    return swept;
}

namespace {

// The account of a user id, or of a name: its entry in the system's user database.
struct Entry {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
};

std::optional<Entry> entry(const passwd* found) {
    if (found == nullptr) return std::nullopt;
    return Entry{found->pw_name, found->pw_uid, found->pw_gid};
}

std::optional<Entry> entry_of_uid(uid_t uid) {
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buf(16384);
    ::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found);
    return entry(found);
}

std::optional<Entry> entry_of_name(const std::string& name) {
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buf(16384);
    ::getpwnam_r(name.c_str(), &pw, buf.data(), buf.size(), &found);
    return entry(found);
}

}  // namespace

std::optional<std::string> mapped_drive(const std::string&) {
    return std::nullopt;
}

Account current_account() {
    const uid_t uid = ::geteuid();
    const auto e = entry_of_uid(uid);
    return {e ? e->name : "uid " + std::to_string(uid), uid == 0};
}

bool account_exists(const std::string& name) {
    return entry_of_name(name).has_value();
}

Result<int> run_as(const std::string& account, const std::function<int()>& what) {
    const auto e = entry_of_name(account);
    if (!e) return Error{{}, "no account " + account + " on this system"};
    if (::geteuid() != 0) return Error{{}, "only root can act as another account"};
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return system_error({});
    if (child == 0) {
        // The account's own groups, group and user, in that order: after setuid nothing of
        // root's rights is left.
        if (::initgroups(e->name.c_str(), e->gid) != 0 || ::setgid(e->gid) != 0 ||
            ::setuid(e->uid) != 0) {
            const std::string why = "cannot act as " + account + ": " + std::strerror(errno) + "\n";
            write_stderr(why);
            ::_exit(125);
        }
        const int status = what();
        std::fflush(nullptr);
        ::_exit(status);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return system_error({});
    }
    if (!WIFEXITED(status)) return Error{{}, "the check as " + account + " ended abnormally"};
    return WEXITSTATUS(status);
}

Prova try_folder(const std::string& folder) {
    Prova prova;
    const std::string path = folder + ".ftes-charts-check." + run_mark() + ".tmp";
    const Descriptor fd(::open(path.c_str(), create_flags, new_file_mode));
    if (!fd) {
        prova.scrive = system_error(folder.empty() ? "." : folder);
        return prova;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) prova.blocca = system_error(folder);
    ::unlink(path.c_str());
    return prova;
}

// --- the turn

struct Turn::Lock {
    Descriptor file;    // the turn's file
    Descriptor folder;  // the folder, whose own lock is the bell
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;
};

namespace {

// Opens a folder's turn file, made when missing. A link or anything but a file planted at its
// name is removed first: the turn is never taken on what a link leads to.
Result<Descriptor> open_turn_file(const std::string& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Descriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                             new_file_mode));
        // The account of another run made it, and this one may not write it: reading is enough
        // to take a lock.
        if (!fd && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            fd = Descriptor(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        }
        if (!fd && errno != ELOOP) return system_error(path);
        struct stat st {};
        if (fd && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) return fd;
        if (::unlink(path.c_str()) != 0) return system_error(path);
    }
    return Error{path, not_regular_text};
}

enum class Locked { yes, kept, failed };

// Takes the descriptor's lock, trying until the moment given; errno tells why it failed.
Locked lock_until(int fd, std::chrono::steady_clock::time_point until) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Locked::yes;
        if (errno != EWOULDBLOCK && errno != EINTR) return Locked::failed;
        if (std::chrono::steady_clock::now() >= until) return Locked::kept;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

Turn Turn::open(const std::vector<std::string>& folders) {
    Turn turn;
    for (const std::string& folder : folders) {
        const std::string path = folder + std::string(turn_file_name);
        auto file = open_turn_file(path);
        if (!file) {
            turn.left_out_.push_back({path, file.error().text});
            continue;
        }
        struct stat st {};
        ::fstat(file->get(), &st);
        const bool known = std::any_of(turn.locks_.begin(), turn.locks_.end(), [&](const Lock& l) {
            return l.device == st.st_dev && l.inode == st.st_ino;
        });
        if (known) continue;
        // A folder that cannot be opened has no bell: the turn is still taken there.
        Descriptor bell(::open(or_here(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        turn.locks_.push_back({std::move(*file), std::move(bell), st.st_dev, st.st_ino, path});
    }
    // Always in the same order, whatever order a run names its folders in: no two runs can each
    // hold a folder the other waits for.
    std::sort(turn.locks_.begin(), turn.locks_.end(), [](const Lock& a, const Lock& b) {
        return std::pair(a.device, a.inode) < std::pair(b.device, b.inode);
    });
    for (const Lock& l : turn.locks_) turn.paths_.push_back(l.path);
    return turn;
}

Turn::Turn(Turn&& other) noexcept
    : locks_(std::move(other.locks_)),
      paths_(std::move(other.paths_)),
      left_out_(std::move(other.left_out_)),
      held_(std::exchange(other.held_, false)) {}

Turn::~Turn() = default;  // closing the files releases their locks

Result<bool> Turn::acquire(std::chrono::milliseconds wait) {
    if (held_) return true;
    const auto until = std::chrono::steady_clock::now() + wait;
    std::vector<int> rung;
    const auto let_go = [&](std::size_t taken) {
        for (std::size_t i = 0; i < taken; ++i) ::flock(locks_[i].file.get(), LOCK_UN);
        for (const int bell : rung) ::flock(bell, LOCK_UN);
    };
    for (const Lock& l : locks_) {
        if (!l.folder) continue;
        const Locked r = lock_until(l.folder.get(), until);
        if (r == Locked::kept) {
            let_go(0);
            return false;
        }
        // A folder that gives no lock has no bell; its turn file tells whether it gives any.
        if (r == Locked::yes) rung.push_back(l.folder.get());
    }
    for (std::size_t i = 0; i < locks_.size(); ++i) {
        const Locked r = lock_until(locks_[i].file.get(), until);
        if (r == Locked::yes) continue;
        const Error why = system_error(locks_[i].path);
        let_go(i);
        if (r == Locked::kept) return false;
        return why;
    }
    let_go(0);
    held_ = true;
    return true;
}

void Turn::release() {
    if (!held_) return;
    for (const Lock& l : locks_) ::flock(l.file.get(), LOCK_UN);
    held_ = false;
}

}  // namespace ftes::platform
