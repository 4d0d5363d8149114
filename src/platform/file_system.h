// SPDX-License-Identifier: MIT
// File-system and calendar services of the host platform. Everything that differs between
// POSIX and Windows sits behind these declarations: file_system_posix.cpp and
// file_system_win.cpp are the only files of the project that call the system directly.
// Paths and names are UTF-8 text on every platform.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace ftes::platform {

// The separator that ends a folder text on this platform.
char separator();

// The current directory of the process as the system reports it, or empty when it cannot be had.
std::string current_directory();

// Today's date on the machine's local calendar.
std::optional<std::chrono::year_month_day> local_today();

// How a text file meant for the operator's editor ends its lines on this system.
#ifdef _WIN32
inline constexpr const char* text_line_end = "\r\n";
#else
inline constexpr const char* text_line_end = "\n";
#endif

// The machine's local time now, in ISO 8601 with its offset from UTC: 2025-01-05T14:03:07+01:00.
std::string local_timestamp();

// The plain, non-hidden regular files of a folder, in the order in which the file system
// delivers them, read one at a time as they are asked for.
class FolderListing {
  public:
    explicit FolderListing(const std::string& folder);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // Whether the folder could be opened for listing; error() says why not.
    bool is_open() const { return state_ != nullptr; }
    // The next file's name; nothing at the end of the listing, or when reading the listing
    // failed part-way (error() then says why).
    std::optional<std::string> next_regular_file();
    // Why the folder could not be listed, or its listing failed part-way.
    const std::optional<Error>& error() const { return error_; }

  private:
    struct State;
    std::string folder_;
    State* state_ = nullptr;
    std::optional<Error> error_;
};

// Whether a regular file stands at the path itself (a link is not followed).
bool regular_file_exists(const std::string& path);

// Whether a folder stands at the path.
bool folder_exists(const std::string& path);

// Whether this process may create files in the folder, as far as the system tells without
// writing anything.
bool folder_writable(const std::string& path);

// Removes from the folder the temporaries that a killed run left behind: the entries whose
// name ours() accepts and that no live run is writing. Returns how many went.
int remove_left_temporaries(const std::string& folder, bool (*ours)(std::string_view name));

// Removes a file (or a link, never what it points to).
Result<> remove_file(const std::string& path);

// A text in the system's ANSI code page as UTF-8, the program's own text. On Windows that is the
// code page of the machine (Windows-1252 in western Europe); POSIX names are bytes and stay as
// they are.
std::string ansi_to_utf8(std::string_view text);

// A regular file opened for sequential reading. Anything that is not a regular file (a folder, a
// FIFO, a device) is refused at open, so a read can never block or run on for ever.
class InputFile {
  public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool is_open() const { return handle_ != invalid; }
    // Why the file did not open (absent: not there) or why the last read failed; its path is
    // left empty, for the one who opened the file to name.
    const std::optional<Error>& error() const { return error_; }
    // Bytes read into buf, 0 at the end of the file.
    Result<std::size_t> read(char* buf, std::size_t size);
    // The size the file had when it was opened.
    std::size_t size_at_open() const { return size_; }

  private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;  // a file descriptor, or a Windows HANDLE
    std::size_t size_ = 0;
    std::optional<Error> error_;
};

// The words for a file that is not there, the same on every system.
inline constexpr const char* not_found_text = "not found";
// The words for a folder, device or pipe where a file was expected.
inline constexpr const char* not_regular_text = "not a regular file (a folder, device or pipe)";

// The whole content of a regular file of at most max_bytes.
Result<std::vector<unsigned char>> read_whole_file(const std::string& path, std::size_t max_bytes);

// Writes the bytes to a file created afresh at the path. Whatever stands at that name (an old
// file, a link, a FIFO, a device node) is removed first, never written through or followed; a
// folder there is left alone and the write fails.
Result<> write_new_file(const std::string& path, std::span<const unsigned char> bytes);

// Whether a replacement must survive a power cut as soon as it is committed.
enum class Durability { ordinary, flushed };

// A file written next to its final place under a fixed temporary name (the target's name with a
// dot in front and ".tmp" after it) and renamed over the target once complete, so that no reader
// ever sees half of it and a link at the target is replaced, not followed. A temporary left by a
// killed run is removed and made anew; one that a live run is still writing is left to it and
// this replacement fails. Destroying an uncommitted file removes its temporary.
class ReplacementFile {
  public:
    ReplacementFile(const std::string& target, Durability durability);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool is_open() const { return handle_ != invalid; }
    // Appends the bytes: they could not all be written (a full disk), or the temporary could
    // not be made at all.
    Result<> write(const unsigned char* data, std::size_t size);
    // Puts the written file in the target's place. A flushed replacement reaches the disk before
    // the rename and the folder's new entry right after it. When any of it fails: up to the
    // rename the target stays as it was; after it the new file is in place but not yet known to
    // be safe from a power cut.
    Result<> commit();
    const std::string& temporary_path() const { return temp_path_; }

  private:
    Error fail();

    static constexpr std::intptr_t invalid = -1;
    std::string target_;
    std::string temp_path_;
    std::optional<Error> error_;  // why the temporary could not be made
    Durability durability_;
    std::intptr_t handle_ = invalid;
    bool committed_ = false;
};

// Writes the bytes as a ReplacementFile and commits it: the target is the new file or, on any
// failure, what it was.
Result<> replace_file(const std::string& target, std::span<const unsigned char> bytes,
                      Durability durability);
// The same for a text (the manifest, the metrics, the run log).
inline Result<> replace_file(const std::string& target, std::string_view text,
                             Durability durability) {
    return replace_file(target,
                        std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()),
                        durability);
}

// The bytes of a file read whole, seen as text.
inline std::string_view as_text(const std::vector<unsigned char>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The temporary name a replacement of target is written under.
std::string temporary_name(const std::string& target);

// The turn of one run on a station, so that two runs of the batch on it (the daily one, the live
// one and an operator's backfill) never write at the same time. It is an advisory lock held on
// an existing file, varnel.ini, and it keeps nobody from reading that file. A run that wants
// its turn rings first (it holds a second lock, on the file's folder on POSIX, on another byte
// of the file on Windows, while it waits), so that a backfill that takes its turn day by day
// lets a waiting run in after the day it is drawing.
class StationLock {
  public:
    // Opens the file; is_open() tells whether it could, error() why not.
    explicit StationLock(const std::string& path);
    ~StationLock();
    StationLock(const StationLock&) = delete;
    StationLock& operator=(const StationLock&) = delete;

    bool is_open() const { return handle_ != invalid; }
    const std::optional<Error>& error() const { return error_; }
    // Waits up to wait for the turn; false when another run kept it all that time.
    bool acquire(std::chrono::milliseconds wait);
    // Gives the turn back; nothing when it is not held.
    void release();
    bool held() const { return held_; }

  private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;  // the file
    std::intptr_t bell_ = invalid;    // POSIX: its folder, opened for the second lock
    bool held_ = false;
    std::optional<Error> error_;
};

}  // namespace ftes::platform
