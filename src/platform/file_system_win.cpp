// SPDX-License-Identifier: MIT
// Windows implementation of the platform services declared in file_system.h. Texts are UTF-8
// inside the program and UTF-16 at every system call (the W functions); paths that would pass
// MAX_PATH take the long form \\?\.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <thread>

#include "platform/file_system.h"

namespace ftes::platform {

namespace {

// The error of the last failed call of this layer, for system_error().
thread_local DWORD last_error = ERROR_SUCCESS;

bool failed() {
    last_error = GetLastError();
    return false;
}

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

// The system's words for the last failed call of this layer.
std::string last_error_text() {
    wchar_t* message = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, last_error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = n > 0 && message != nullptr ? std::wstring(message, n) : std::wstring();
    if (message != nullptr) LocalFree(message);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) return "system error " + std::to_string(last_error);
    return to_utf8(text);
}

// The system's words for the last failed call of this layer, about a file.
Error system_error(const std::string& path) {
    return {path, last_error_text()};
}

// Whether an error of opening a file says that nothing of that name is there.
bool absent(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME;
}

// A path as the W functions take it. Beyond the classic limit the path is made absolute, with
// backslashes only, and given the \\?\ prefix that lifts the limit.
std::wstring system_path(const std::string& path) {
    std::wstring wide = to_utf16(path);
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

bool write_all(HANDLE h, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, data, chunk, &written, nullptr)) return failed();
        if (written == 0) {
            last_error = ERROR_DISK_FULL;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
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

}  // namespace

char separator() {
    return '\\';
}

std::string current_directory() {
    const DWORD need = GetCurrentDirectoryW(0, nullptr);
    if (need == 0) return {};
    std::wstring dir(need, L'\0');
    const DWORD got = GetCurrentDirectoryW(need, dir.data());
    if (got == 0 || got >= need) return {};
    dir.resize(got);
    return to_utf8(dir);
}

std::optional<std::chrono::year_month_day> local_today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::chrono::year_month_day today{
        std::chrono::year{now.wYear}, std::chrono::month{now.wMonth}, std::chrono::day{now.wDay}};
    if (!today.ok()) return std::nullopt;
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

std::string ansi_to_utf8(std::string_view text) {
    return to_utf8(to_utf16(std::string(text), CP_ACP));
}

struct FolderListing::State {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW entry{};
    bool pending = false;  // entry holds a name not yet looked at
};

FolderListing::FolderListing(const std::string& folder) : folder_(folder) {
    auto* state = new State;
    state->find =
        FindFirstFileExW(system_path(folder + "*").c_str(), FindExInfoBasic, &state->entry,
                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (state->find == INVALID_HANDLE_VALUE) {
        failed();
        // A folder without a single entry (a drive's empty root) is listed, and empty.
        if (last_error != ERROR_FILE_NOT_FOUND) {
            error_ = system_error(folder);
            delete state;
            return;
        }
    } else {
        state->pending = true;
    }
    state_ = state;
}

FolderListing::~FolderListing() {
    if (state_ != nullptr && state_->find != INVALID_HANDLE_VALUE) FindClose(state_->find);
    delete state_;
}

std::optional<std::string> FolderListing::next_regular_file() {
    if (state_ == nullptr || state_->find == INVALID_HANDLE_VALUE || error_) {
        return std::nullopt;
    }
    for (;;) {
        if (!state_->pending) {
            if (!FindNextFileW(state_->find, &state_->entry)) {
                failed();
                if (last_error != ERROR_NO_MORE_FILES) error_ = system_error(folder_);
                return std::nullopt;
            }
        }
        state_->pending = false;
        constexpr DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
        if ((state_->entry.dwFileAttributes & skipped) == 0)
            return to_utf8(state_->entry.cFileName);
    }
}

bool regular_file_exists(const std::string& path) {
    const DWORD a = GetFileAttributesW(system_path(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE |
                                                 FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool folder_writable(const std::string& path) {
    // Windows tells a folder's rights only through its access control list; a read-only folder
    // is what the attributes say.
    const DWORD a = GetFileAttributesW(system_path(path.empty() ? "." : path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) == 0;
}

bool folder_exists(const std::string& path) {
    const DWORD a = GetFileAttributesW(system_path(path.empty() ? "." : path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int remove_left_temporaries(const std::string& folder, bool (*ours)(std::string_view name)) {
    WIN32_FIND_DATAW entry{};
    const HANDLE find = FindFirstFileExW(system_path(folder + "*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        // A temporary that a live run is writing is open without sharing: it cannot be deleted.
        const std::string name = to_utf8(entry.cFileName);
        if (ours(name) && DeleteFileW(system_path(folder + name).c_str())) ++removed;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return removed;
}

Result<> remove_file(const std::string& path) {
    if (!DeleteFileW(system_path(path).c_str())) {
        failed();
        return system_error(path);
    }
    return {};
}

InputFile::InputFile(const std::string& path) {
    const std::wstring wide = system_path(path);
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    // The path is left out of its errors: the one who opened it names it.
    if (h == INVALID_HANDLE_VALUE) {
        failed();
        const Error why = system_error({});
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            error_ = Error{{}, not_regular_text};
        } else if (absent(last_error) || last_error == ERROR_BAD_NETPATH) {
            error_ = Error{{}, not_found_text, true};
        } else {
            error_ = why;
        }
        return;
    }
    // A device name (NUL, CON, COM1) or a pipe opens too: only a file on a disk is read.
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK) {
        error_ = Error{{}, not_regular_text};
        CloseHandle(h);
        return;
    }
    if (!GetFileSizeEx(h, &size) || size.QuadPart < 0) {
        failed();
        error_ = system_error({});
        CloseHandle(h);
        return;
    }
    handle_ = stored(h);
    size_ = static_cast<std::size_t>(size.QuadPart);
}

InputFile::~InputFile() {
    if (is_open()) CloseHandle(handle_of(handle_));
}

Result<std::size_t> InputFile::read(char* buf, std::size_t size) {
    if (!is_open()) return *error_;
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(handle_of(handle_), buf, want, &got, nullptr)) {
        failed();
        error_ = system_error({});
        return *error_;
    }
    return static_cast<std::size_t>(got);
}

Result<> write_new_file(const std::string& path, std::span<const unsigned char> bytes) {
    // Whatever stands at the name goes first (a link, not what it leads to); the create then
    // fails rather than write anywhere but into a new file.
    const std::wstring wide = system_path(path);
    DeleteFileW(wide.c_str());
    const HANDLE h = create_new(wide);
    if (h == INVALID_HANDLE_VALUE) {
        failed();
        return system_error(path);
    }
    std::optional<Error> why;
    if (!write_all(h, bytes.data(), bytes.size())) why = system_error(path);
    if (!CloseHandle(h) && !why) {
        failed();
        why = system_error(path);
    }
    if (why) return *why;
    return {};
}

ReplacementFile::ReplacementFile(const std::string& target, Durability durability)
    : target_(target), temp_path_(temporary_name(target)), durability_(durability) {
    const std::wstring temp = system_path(temp_path_);
    HANDLE h = create_new(temp);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
        // Left by a killed run, it can be deleted; one a live run is writing cannot.
        if (DeleteFileW(temp.c_str())) {
            h = create_new(temp);
        } else {
            failed();
            error_ = busy(last_error) ? Error{target_, "another run is writing " + temp_path_}
                                      : system_error(target_);
            temp_path_.clear();
            return;
        }
    }
    if (h == INVALID_HANDLE_VALUE) {
        failed();
        error_ = system_error(target_);
        temp_path_.clear();
        return;
    }
    handle_ = stored(h);
}

ReplacementFile::~ReplacementFile() {
    if (is_open()) CloseHandle(handle_of(handle_));
    if (!committed_ && !temp_path_.empty()) DeleteFileW(system_path(temp_path_).c_str());
}

Error ReplacementFile::fail() {
    return system_error(target_);
}

Result<> ReplacementFile::write(const unsigned char* data, std::size_t size) {
    if (!is_open()) return *error_;
    if (!write_all(handle_of(handle_), data, size)) return fail();
    return {};
}

Result<> ReplacementFile::commit() {
    if (!is_open()) return *error_;
    const HANDLE h = handle_of(handle_);
    handle_ = invalid;
    if (durability_ == Durability::flushed && !FlushFileBuffers(h)) {
        failed();
        CloseHandle(h);
        return fail();
    }
    // The move needs the file closed; from here the temporary is left to this run by its name.
    if (!CloseHandle(h)) {
        failed();
        return fail();
    }
    // Write-through: the move is on the disk when it returns, with the file it moves.
    const DWORD how = MOVEFILE_REPLACE_EXISTING |
                      (durability_ == Durability::flushed ? MOVEFILE_WRITE_THROUGH : 0);
    const std::wstring from = system_path(temp_path_), to = system_path(target_);
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), how)) {
            committed_ = true;
            return {};
        }
        failed();
        if (!busy(last_error) || attempt == 20) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!busy(last_error)) return fail();
    return Error{target_, "the chart is held open by another program (" + last_error_text() + ")"};
}

namespace {

// Windows locks keep others from reading what they cover: the turn's two bytes lie far past the
// end of the file, so varnel.ini stays readable by everybody. The first is the turn, the second
// the bell a waiting run rings.
constexpr DWORD turn_offset_high = 0x7FFFFFFF;
constexpr DWORD turn_byte = 0, bell_byte = 1;

bool lock_byte(HANDLE h, DWORD offset) {
    OVERLAPPED where{};
    where.OffsetHigh = turn_offset_high;
    where.Offset = offset;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where);
}

void unlock_byte(HANDLE h, DWORD offset) {
    OVERLAPPED where{};
    where.OffsetHigh = turn_offset_high;
    where.Offset = offset;
    UnlockFileEx(h, 0, 1, 0, &where);
}

bool lock_byte_until(HANDLE h, DWORD offset, std::chrono::steady_clock::time_point until) {
    for (;;) {
        if (lock_byte(h, offset)) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

StationLock::StationLock(const std::string& path) {
    const std::wstring wide = system_path(path);
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        failed();
        error_ = absent(last_error) ? Error{path, not_found_text, true} : system_error(path);
        return;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        error_ = Error{path, not_regular_text};
        return;
    }
    handle_ = stored(h);
}

StationLock::~StationLock() {
    if (is_open()) CloseHandle(handle_of(handle_));  // closing releases the locks
}

bool StationLock::acquire(std::chrono::milliseconds wait) {
    if (!is_open()) return false;
    if (held_) return true;
    const HANDLE h = handle_of(handle_);
    const auto until = std::chrono::steady_clock::now() + wait;
    if (!lock_byte_until(h, bell_byte, until)) return false;
    held_ = lock_byte_until(h, turn_byte, until);
    unlock_byte(h, bell_byte);
    return held_;
}

void StationLock::release() {
    if (held_) unlock_byte(handle_of(handle_), turn_byte);
    held_ = false;
}

}  // namespace ftes::platform
