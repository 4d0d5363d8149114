// SPDX-License-Identifier: MIT
// Windows implementation of the platform services declared in file_system.h. Texts are UTF-8
// inside the program and UTF-16 at every system call (the W functions); paths that would pass
// MAX_PATH take the long form \\?\. Each failure is told with the code the system gave for it,
// read at once.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <thread>
#include <utility>

#include "platform/file_system.h"

namespace ftes::platform {

namespace {

std::wstring to_utf16(const std::string& text, UINT code_page = CP_UTF8) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0) {
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            n);
    }
    return wide;
}

std::string to_utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                            nullptr, nullptr);
    }
    return text;
}

// The system's words for an error code.
std::string error_text(DWORD code) {
    wchar_t* message = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = n > 0 && message != nullptr ? std::wstring(message, n) : std::wstring();
    if (message != nullptr) LocalFree(message);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) return "system error " + std::to_string(code);
    return to_utf8(text);
}

// The system's words for an error code, about a file.
Error system_error(const std::string& path, DWORD code) {
    Error e{path, error_text(code)};
    e.held = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
    return e;
}

// Whether an error of opening a file says that nothing of that name is there.
bool absent(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME;
}

// Why a file or folder could not be opened: not there, or there but not to be opened.
Error open_error(const std::string& path, DWORD code) {
    if (absent(code)) return {path, not_found_text, true};
    return system_error(path, code);
}

// A path as the W functions take it. Beyond the classic limit the path is made absolute, with
// backslashes only, and given the \\?\ prefix that lifts the limit.
std::wstring system_path(const std::string& path) {
    std::wstring wide = to_utf16(path.empty() ? std::string(".") : path);
    constexpr std::size_t classic_limit = MAX_PATH - 12;  // room for a folder's 8.3 entry
    if (wide.size() < classic_limit || wide.starts_with(L"\\\\?\\")) return wide;
    const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (need == 0) return wide;
    std::wstring full(need, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), need, full.data(), nullptr);
    if (got == 0 || got >= need) return wide;
    full.resize(got);
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

HANDLE handle_of(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

std::intptr_t stored(HANDLE h) {
    return reinterpret_cast<std::intptr_t>(h);
}

// A handle that closes itself.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(h_, other.h_);
        return *this;
    }
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    HANDLE get() const { return h_; }
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Writes everything, or gives the code of why not.
DWORD write_all(HANDLE h, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, data, chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_DISK_FULL;
        data += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Creates a new file for writing that nobody else may open, delete or rename while it is
// written: the share mode of a run's temporary is what tells it is in use.
HANDLE create_new(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// A chart that a web server holds open cannot be replaced until it lets go; the server reads
// a chart in milliseconds, so a second of patience is plenty.
bool busy(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

Kind kind_of_attributes(DWORD a) {
    if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Kind::link;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) return Kind::folder;
    if ((a & FILE_ATTRIBUTE_DEVICE) != 0) return Kind::other;
    return Kind::regular;
}

}  // namespace

char separator() {
    return '\\';
}

Result<std::string> current_directory() {
    const DWORD need = GetCurrentDirectoryW(0, nullptr);
    if (need == 0) return system_error(".", GetLastError());
    std::wstring dir(need, L'\0');
    const DWORD got = GetCurrentDirectoryW(need, dir.data());
    if (got == 0 || got >= need) return system_error(".", GetLastError());
    dir.resize(got);
    return to_utf8(dir);
}

Result<std::chrono::year_month_day> local_today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::chrono::year_month_day today{
        std::chrono::year{now.wYear}, std::chrono::month{now.wMonth}, std::chrono::day{now.wDay}};
    if (!today.ok()) return Error{{}, "the system gives no valid date"};
    return today;
}

std::string local_timestamp() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    TIME_ZONE_INFORMATION zone{};
    const DWORD which = GetTimeZoneInformation(&zone);
    // UTC = local time + bias, in minutes.
    long bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    const long offset = -bias;
    const long size = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02ld:%02ld", now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, offset < 0 ? '-' : '+',
                  size / 60, size % 60);
    return text;
}

namespace {

// Text for a console goes as UTF-16, which it shows right whatever its code page (cp437, 850,
// 1252); to a file or a pipe, as UTF-8 bytes.
void write_text(FILE* stream, DWORD which, std::string_view text) {
    const HANDLE h = GetStdHandle(which);
    DWORD mode = 0;
    if (h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) {
        std::fflush(stream);
        const std::wstring wide = to_utf16(std::string(text));
        constexpr std::size_t chunk = 8192;
        for (std::size_t at = 0; at < wide.size(); at += chunk) {
            const DWORD n = static_cast<DWORD>(std::min(chunk, wide.size() - at));
            DWORD written = 0;
            if (!WriteConsoleW(h, wide.data() + at, n, &written, nullptr)) break;
        }
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void write_stdout(std::string_view text) {
    write_text(stdout, STD_OUTPUT_HANDLE, text);
}

void write_stderr(std::string_view text) {
    write_text(stderr, STD_ERROR_HANDLE, text);
}

std::string ansi_to_utf8(std::string_view text) {
    return to_utf8(to_utf16(std::string(text), CP_ACP));
}

Result<Kind> kind_at(const std::string& path) {
    const DWORD a = GetFileAttributesW(system_path(path).c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return kind_of_attributes(a);
    const DWORD code = GetLastError();
    if (absent(code)) return Kind::absent;
    return system_error(path, code);
}

Result<Kind> kind_of_target(const std::string& path) {
    // The attributes of a link are its own: what it leads to is opened to be seen.
    const auto here = kind_at(path);
    if (!here || *here != Kind::link) return here;
    const Handle h(CreateFileW(system_path(path).c_str(), 0, share_all, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) {
        const DWORD code = GetLastError();
        if (absent(code)) return Kind::absent;
        return system_error(path, code);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info)) return system_error(path, GetLastError());
    return kind_of_attributes(info.dwFileAttributes & ~FILE_ATTRIBUTE_REPARSE_POINT);
}

struct FolderListing::State {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW entry{};
    bool pending = false;  // entry holds a name not yet looked at
    std::string folder;
    ~State() {
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
    }
};

FolderListing::FolderListing(std::unique_ptr<State> state) : state_(std::move(state)) {}
FolderListing::FolderListing(FolderListing&&) noexcept = default;
FolderListing& FolderListing::operator=(FolderListing&&) noexcept = default;
FolderListing::~FolderListing() = default;

Result<FolderListing> FolderListing::open(const std::string& folder) {
    auto state = std::make_unique<State>();
    state->folder = folder;
    state->find =
        FindFirstFileExW(system_path(folder + "*").c_str(), FindExInfoBasic, &state->entry,
                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (state->find == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // A folder without a single entry (a drive's empty root) is listed, and empty.
        if (code != ERROR_FILE_NOT_FOUND) return open_error(folder, code);
    } else {
        state->pending = true;
    }
    return FolderListing(std::move(state));
}

Result<std::optional<std::string>> FolderListing::next_regular_file() {
    State& s = *state_;
    if (s.find == INVALID_HANDLE_VALUE) return std::optional<std::string>();
    for (;;) {
        if (!s.pending && !FindNextFileW(s.find, &s.entry)) {
            const DWORD code = GetLastError();
            if (code != ERROR_NO_MORE_FILES) return system_error(s.folder, code);
            return std::optional<std::string>();
        }
        s.pending = false;
        constexpr DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
        if ((s.entry.dwFileAttributes & skipped) == 0) {
            return std::optional<std::string>(to_utf8(s.entry.cFileName));
        }
    }
}

Result<InputFile> InputFile::open(const std::string& path, Links links) {
    const std::wstring wide = system_path(path);
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN |
                        (links == Links::refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    Handle h(
        CreateFileW(wide.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING, flags, nullptr));
    // The path is left out of its errors: the one who opened it names it.
    if (!h) {
        const DWORD code = GetLastError();
        if (absent(code) || code == ERROR_BAD_NETPATH) return Error{{}, not_found_text, true};
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return Error{{}, not_regular_text};
        }
        return system_error({}, code);
    }
    // A device name (NUL, CON, COM1) or a pipe opens too: only a file on a disk is read.
    if (GetFileType(h.get()) != FILE_TYPE_DISK) return Error{{}, not_regular_text};
    if (links == Links::refuse) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(h.get(), &info)) return system_error({}, GetLastError());
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            return Error{{}, link_refused_text};
        }
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size) || size.QuadPart < 0) {
        return system_error({}, GetLastError());
    }
    return InputFile(stored(h.release()), static_cast<std::size_t>(size.QuadPart));
}

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(std::exchange(other.handle_, invalid)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    std::swap(handle_, other.handle_);
    size_ = other.size_;
    return *this;
}

InputFile::~InputFile() {
    if (handle_ != invalid) CloseHandle(handle_of(handle_));
}

Result<std::size_t> InputFile::read(char* buf, std::size_t size) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(handle_of(handle_), buf, want, &got, nullptr)) {
        return system_error({}, GetLastError());
    }
    return static_cast<std::size_t>(got);
}

Result<> InputFile::seek(std::size_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_of(handle_), to, nullptr, FILE_BEGIN)) {
        return system_error({}, GetLastError());
    }
    return {};
}

Result<> create_new_file(const std::string& path, std::span<const unsigned char> bytes) {
    const std::wstring wide = system_path(path);
    Handle h(create_new(wide));
    if (!h) return system_error(path, GetLastError());
    DWORD code = write_all(h.get(), bytes.data(), bytes.size());
    if (!CloseHandle(h.release()) && code == ERROR_SUCCESS) code = GetLastError();
    if (code != ERROR_SUCCESS) {
        DeleteFileW(wide.c_str());
        return system_error(path, code);
    }
    return {};
}

Result<std::uint64_t> append_to_file(const std::string& path, std::string_view text) {
    const std::wstring wide = system_path(path);
    Handle h(CreateFileW(wide.c_str(), FILE_APPEND_DATA, share_all, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) return system_error(path, GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info)) return system_error(path, GetLastError());
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return Error{path, link_refused_text};
    }
    if (GetFileType(h.get()) != FILE_TYPE_DISK ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Error{path, not_regular_text};
    }
    DWORD code =
        write_all(h.get(), reinterpret_cast<const unsigned char*>(text.data()), text.size());
    LARGE_INTEGER size{};
    if (code == ERROR_SUCCESS && !GetFileSizeEx(h.get(), &size)) code = GetLastError();
    if (!CloseHandle(h.release()) && code == ERROR_SUCCESS) code = GetLastError();
    if (code != ERROR_SUCCESS) return system_error(path, code);
    return static_cast<std::uint64_t>(size.QuadPart);
}

Result<> remove_file(const std::string& path) {
    if (!DeleteFileW(system_path(path).c_str())) return system_error(path, GetLastError());
    return {};
}

Result<ReplacementFile> ReplacementFile::create(const std::string& target, Durability durability) {
    std::string temp = temporary_name(target);
    const HANDLE h = create_new(system_path(temp));
    if (h == INVALID_HANDLE_VALUE) return system_error(target, GetLastError());
    return ReplacementFile(target, std::move(temp), durability, stored(h));
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : target_(std::move(other.target_)),
      temp_path_(std::move(other.temp_path_)),
      durability_(other.durability_),
      handle_(std::exchange(other.handle_, invalid)),
      committed_(std::exchange(other.committed_, true)) {}

ReplacementFile::~ReplacementFile() {
    if (handle_ != invalid) CloseHandle(handle_of(handle_));
    if (!committed_) DeleteFileW(system_path(temp_path_).c_str());
}

Result<> ReplacementFile::write(const unsigned char* data, std::size_t size) {
    if (const DWORD code = write_all(handle_of(handle_), data, size); code != ERROR_SUCCESS) {
        return system_error(target_, code);
    }
    return {};
}

Result<Placed> ReplacementFile::commit() {
    const HANDLE h = handle_of(std::exchange(handle_, invalid));
    if (durability_ == Durability::flushed && !FlushFileBuffers(h)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        return system_error(target_, code);
    }
    // The move needs the file closed; from here the temporary is left to this run by its name.
    if (!CloseHandle(h)) return system_error(target_, GetLastError());
    // Write-through: the move is on the disk when it returns, with the file it moves.
    const DWORD how = MOVEFILE_REPLACE_EXISTING |
                      (durability_ == Durability::flushed ? MOVEFILE_WRITE_THROUGH : 0);
    const std::wstring from = system_path(temp_path_), to = system_path(target_);
    DWORD code = ERROR_SUCCESS;
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), how)) {
            committed_ = true;
            return Placed{};
        }
        code = GetLastError();
        if (!busy(code) || attempt == 20) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!busy(code)) return system_error(target_, code);
    return Error{target_, "the chart is held open by another program (" + error_text(code) + ")"};
}

Result<Swept> sweep_temporaries(const std::string& folder, bool (*ours)(std::string_view name)) {
    WIN32_FIND_DATAW entry{};
    const HANDLE find = FindFirstFileExW(system_path(folder + "*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) return Swept{};
        return open_error(folder, code);
    }
    Swept swept;
    do {
        const std::string name = to_utf8(entry.cFileName);
        if (!ours(name)) continue;
        const std::wstring path = system_path(folder + name);
        const bool is_folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A temporary that a live run is writing is open without sharing: it cannot be deleted.
        if (is_folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) {
            ++swept.removed;
        } else if (is_folder) {
            const DWORD code = GetLastError();
            swept.left.push_back(
                {folder + name,
                 code == ERROR_DIR_NOT_EMPTY
                     ? std::string("a folder that is not empty stands at a temporary name of the "
                                   "batch; fix: remove it")
                     : "a folder stands at a temporary name of the batch and cannot be removed: " +
                           error_text(code)});
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return swept;
}

std::optional<std::string> mapped_drive(const std::string& path) {
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) {
        return std::nullopt;
    }
    const std::wstring root = {static_cast<wchar_t>(path[0]), L':', L'\\'};
    if (GetDriveTypeW(root.c_str()) != DRIVE_REMOTE) return std::nullopt;
    // The redirector's device of a mapped letter ends in the share's name:
    // "\Device\LanmanRedirector\;Z:0000000000012345\server\share".
    wchar_t device[1024];
    const std::wstring letter = root.substr(0, 2);
    if (QueryDosDeviceW(letter.c_str(), device, 1024) == 0) return std::string();
    const std::string target = to_utf8(device);
    const std::size_t mark = target.find(";" + to_utf8(letter));
    const std::size_t share = mark == std::string::npos ? mark : target.find('\\', mark);
    if (share == std::string::npos) return std::string();
    std::string rest = path.substr(2);
    if (!rest.empty() && rest.front() != '\\' && rest.front() != '/') rest.insert(0, 1, '\\');
    return "\\" + target.substr(share) + rest;
}

Account current_account() {
    wchar_t name[256];
    DWORD size = 256;
    Account account;
    account.name = GetUserNameW(name, &size) ? to_utf8(std::wstring(name, size - 1)) : "?";
    // Elevated: an administrator's process that may write where the task's account may not.
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        TOKEN_ELEVATION elevation{};
        DWORD got = 0;
        if (GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &got)) {
            account.privileged = elevation.TokenIsElevated != 0;
        }
        CloseHandle(token);
    }
    return account;
}

bool account_exists(const std::string& name) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof sid, domain_size = 256;
    wchar_t domain[256];
    SID_NAME_USE use{};
    return LookupAccountNameW(nullptr, to_utf16(name).c_str(), sid, &sid_size, domain, &domain_size,
                              &use) != 0;
}

Result<int> run_as(const std::string& account, const std::function<int()>&) {
    return Error{{}, "a check as " + account + " runs as a task of that account"};
}

Prova try_folder(const std::string& folder) {
    Prova prova;
    const std::string path = folder + ".ftes-charts-check." + run_mark() + ".tmp";
    const Handle h(CreateFileW(system_path(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                               nullptr));
    if (!h) {
        prova.scrive = system_error(folder.empty() ? "." : folder, GetLastError());
        return prova;
    }
    OVERLAPPED where{};
    if (!LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &where)) {
        prova.blocca = system_error(folder, GetLastError());
    }
    return prova;  // deleted as it is closed
}

// --- the turn

namespace {

// Windows locks keep others from reading what they cover: the turn's file holds nothing, so that
// is no matter. Its first byte is the turn, its second the bell a waiting run rings.
constexpr DWORD turn_byte = 0, bell_byte = 1;

// Whether the byte is locked (ERROR_SUCCESS), held by another (ERROR_LOCK_VIOLATION), or why
// the file system gives no lock.
DWORD lock_byte(HANDLE h, DWORD offset) {
    OVERLAPPED where{};
    where.Offset = offset;
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
        return ERROR_SUCCESS;
    }
    const DWORD code = GetLastError();
    return code == ERROR_IO_PENDING ? ERROR_LOCK_VIOLATION : code;
}

void unlock_byte(HANDLE h, DWORD offset) {
    OVERLAPPED where{};
    where.Offset = offset;
    UnlockFileEx(h, 0, 1, 0, &where);
}

DWORD lock_byte_until(HANDLE h, DWORD offset, std::chrono::steady_clock::time_point until) {
    for (;;) {
        const DWORD code = lock_byte(h, offset);
        if (code != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= until) return code;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

struct Turn::Lock {
    Handle file;
    DWORD volume = 0;
    std::uint64_t index = 0;
    std::string path;
};

Turn Turn::open(const std::vector<std::string>& folders) {
    Turn turn;
    for (const std::string& folder : folders) {
        const std::string path = folder + std::string(turn_file_name);
        // Made when missing, hidden like any file an operator has no need to see; a link at its
        // name is opened as a link, never followed.
        Handle h(CreateFileW(system_path(path).c_str(), GENERIC_READ, share_all, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT,
                             nullptr));
        if (!h) {
            turn.left_out_.push_back({path, error_text(GetLastError())});
            continue;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileType(h.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(h.get(), &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                0) {
            turn.left_out_.push_back({path, not_regular_text});
            continue;
        }
        const std::uint64_t index =
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        const bool known = std::any_of(turn.locks_.begin(), turn.locks_.end(), [&](const Lock& l) {
            return l.volume == info.dwVolumeSerialNumber && l.index == index;
        });
        if (!known) turn.locks_.push_back({std::move(h), info.dwVolumeSerialNumber, index, path});
    }
    // Always in the same order, whatever order a run names its folders in.
    std::sort(turn.locks_.begin(), turn.locks_.end(), [](const Lock& a, const Lock& b) {
        return std::pair(a.volume, a.index) < std::pair(b.volume, b.index);
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
    std::vector<HANDLE> rung;
    const auto let_go = [&](std::size_t taken) {
        for (std::size_t i = 0; i < taken; ++i) unlock_byte(locks_[i].file.get(), turn_byte);
        for (const HANDLE bell : rung) unlock_byte(bell, bell_byte);
    };
    for (const Lock& l : locks_) {
        const DWORD code = lock_byte_until(l.file.get(), bell_byte, until);
        if (code == ERROR_LOCK_VIOLATION) {
            let_go(0);
            return false;
        }
        if (code == ERROR_SUCCESS) rung.push_back(l.file.get());
    }
    for (std::size_t i = 0; i < locks_.size(); ++i) {
        const DWORD code = lock_byte_until(locks_[i].file.get(), turn_byte, until);
        if (code == ERROR_SUCCESS) continue;
        let_go(i);
        if (code == ERROR_LOCK_VIOLATION) return false;
        return system_error(locks_[i].path, code);
    }
    let_go(0);
    held_ = true;
    return true;
}

void Turn::release() {
    if (!held_) return;
    for (const Lock& l : locks_) unlock_byte(l.file.get(), turn_byte);
    held_ = false;
}

}  // namespace ftes::platform
