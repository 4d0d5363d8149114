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
#include <vector>

namespace ftes::platform {

// The separator that ends a folder text on this platform.
char separator();

// The current directory of the process as the system reports it, or empty when it cannot be had.
std::string current_directory();

// Today's date on the machine's local calendar.
std::optional<std::chrono::year_month_day> local_today();

// The name of the first plain, non-hidden regular file of a folder listing, in the order in which
// the file system delivers them; nothing when the folder cannot be listed or holds no such file.
// Only the entries up to that first file are looked at.
std::optional<std::string> first_regular_file(const std::string& folder);

// Removes a file (or a link, never what it points to); false when nothing was removed.
bool remove_file(const std::string& path);

// The system's words for the last failure of a call made by this layer on this thread.
std::string last_error_text();

// A text in the system's ANSI code page as UTF-8, the program's own text. On Windows that is the
// code page of the machine (Windows-1252 in western Europe); POSIX names are bytes and stay as
// they are.
std::string ansi_to_utf8(std::string_view text);

// Why a file did not open for reading.
enum class OpenFailure {
    none,
    missing,      // nothing of that name (or a folder on the way is missing)
    not_regular,  // a folder, FIFO, device or socket stands at the name
    refused,      // it exists but cannot be opened (rights, a lock, a system error)
};

// The reason in words, for --verbose.
const char* describe(OpenFailure failure);

// A regular file opened for sequential reading. Anything that is not a regular file (a folder, a
// FIFO, a device) is refused at open, so a read can never block or run on for ever.
class InputFile {
  public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool is_open() const { return handle_ != invalid; }
    OpenFailure failure() const { return failure_; }
    // Bytes read into buf, 0 at end of file, -1 on a read error.
    long read(char* buf, std::size_t size);
    // The size the file had when it was opened.
    std::size_t size_at_open() const { return size_; }

  private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;  // a file descriptor, or a Windows HANDLE
    std::size_t size_ = 0;
    OpenFailure failure_ = OpenFailure::none;
};

// The whole content of a regular file of at most max_bytes; nothing when it cannot be read or is
// larger.
std::optional<std::vector<unsigned char>> read_whole_file(const std::string& path,
                                                          std::size_t max_bytes);

// Writes the bytes to a file created afresh at the path. Whatever stands at that name (an old
// file, a link, a FIFO, a device node) is removed first, never written through or followed; a
// folder there is left alone and the write fails. Empty on success, otherwise the reason.
std::string write_new_file(const std::string& path, std::span<const unsigned char> bytes);

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
    // Appends the bytes; false when they could not all be written (a full disk).
    bool write(const unsigned char* data, std::size_t size);
    // Puts the written file in the target's place. A flushed replacement reaches the disk before
    // the rename and the folder's new entry right after it. False when any of it fails: up to the
    // rename the target stays as it was; after it the new file is in place but not yet known to
    // be safe from a power cut.
    bool commit();
    // The reason of the last failure (opening, writing or committing).
    const std::string& error() const { return error_; }
    const std::string& temporary_path() const { return temp_path_; }

  private:
    bool fail();

    static constexpr std::intptr_t invalid = -1;
    std::string target_;
    std::string temp_path_;
    std::string error_;
    Durability durability_;
    std::intptr_t handle_ = invalid;
    bool committed_ = false;
};

// The temporary name a replacement of target is written under.
std::string temporary_name(const std::string& target);

// An advisory lock held on an existing file while it lives, so that two runs of the batch on
// the same station (the daily one and an operator's backfill) never interleave their exports.
// The lock does not keep anybody from reading the file.
class FileLock {
  public:
    // Waits up to wait for the lock; locked() tells whether it was had.
    FileLock(const std::string& path, std::chrono::milliseconds wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return locked_; }
    // Whether the file was there to be locked at all.
    bool file_found() const { return handle_ != invalid; }

  private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;
    bool locked_ = false;
};

}  // namespace ftes::platform
