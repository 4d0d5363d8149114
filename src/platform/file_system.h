// File-system and calendar services of the host platform. Everything that differs between
// POSIX and Windows sits behind these declarations; file_system_posix.cpp is the only file of
// the project that calls POSIX directly.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
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

bool remove_file(const std::string& path);

// The whole content of a regular file of at most max_bytes; nothing when it cannot be read or is
// larger.
std::optional<std::vector<unsigned char>> read_whole_file(const std::string& path,
                                                          std::size_t max_bytes);

// Creates or truncates the file and writes the bytes in one go; false when any of it fails.
bool write_whole_file(const std::string& path, const std::vector<unsigned char>& bytes);

// A regular file opened for sequential reading. Anything that is not a regular file (a folder, a
// FIFO, a device) is refused at open, so a read can never block or loop.
class InputFile {
  public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool is_open() const { return fd_ >= 0; }
    // Bytes read into buf, 0 at end of file, -1 on a read error.
    long read(char* buf, std::size_t size);
    // The size the file had when it was opened.
    std::size_t size_at_open() const { return size_; }

  private:
    int fd_ = -1;
    std::size_t size_ = 0;
};

// A file written next to its final place and renamed over it once complete, so that no reader
// ever sees half of it. Destroying an uncommitted file removes it.
class ReplacementFile {
  public:
    explicit ReplacementFile(const std::string& target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool is_open() const { return fd_ >= 0; }
    // Appends the bytes; false when they could not all be written (a full disk).
    bool write(const unsigned char* data, std::size_t size);
    // Renames the written file over the target. False when that fails; the target is then as it
    // was before.
    bool commit();
    const std::string& temporary_path() const { return temp_path_; }

  private:
    std::string target_;
    std::string temp_path_;
    int fd_ = -1;
    bool committed_ = false;
};

// An advisory lock held on an existing file while it lives, so that two runs of the batch on
// the same station (the daily one and an operator's backfill) never interleave their exports.
class FileLock {
  public:
    // Waits up to wait for the lock; locked() tells whether it was had.
    FileLock(const std::string& path, std::chrono::milliseconds wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return locked_; }
    // Whether the file was there to be locked at all.
    bool file_found() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
    bool locked_ = false;
};

}  // namespace ftes::platform
