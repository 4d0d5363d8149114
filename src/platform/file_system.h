// SPDX-License-Identifier: MIT
// File-system and calendar services of the host platform. Everything that differs between
// POSIX and Windows sits behind these declarations: file_system_posix.cpp and
// file_system_win.cpp are the only files of the project that call the system directly.
// Paths and names are UTF-8 text on every platform. Whatever can fail returns a Result; a
// handle comes from a function that returns it in one.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace ftes::platform {

// The separator that ends a folder text on this platform.
char separator();

// The current directory of the process as the system reports it.
Result<std::string> current_directory();

// Today's date on the machine's local calendar.
Result<std::chrono::year_month_day> local_today();

// How a text file meant for the operator's editor ends its lines on this system.
#ifdef _WIN32
inline constexpr const char* text_line_end = "\r\n";
#else
inline constexpr const char* text_line_end = "\n";
#endif

// The machine's local time now, in ISO 8601 with its offset from UTC: 2025-01-05T14:03:07+01:00.
std::string local_timestamp();

// Writes the text to the process's standard output or standard error as it is, at once.
void write_stdout(std::string_view text);
void write_stderr(std::string_view text);

// A text in the system's ANSI code page as UTF-8, the program's own text. On Windows that is the
// code page of the machine (Windows-1252 in western Europe); POSIX names are bytes and stay as
// they are.
std::string ansi_to_utf8(std::string_view text);

// The words for a file that is not there, the same on every system.
inline constexpr const char* not_found_text = "not found";
// The words for a folder, device or pipe where a file was expected.
inline constexpr const char* not_regular_text = "not a regular file (a folder, device or pipe)";
// The words for a link where links are refused.
inline constexpr const char* link_refused_text = "a link, which is not followed here";

// What stands at a path.
enum class Kind { absent, regular, folder, link, other };
// What stands at the path itself: a link there is a link, not what it leads to. An Error when
// the system cannot tell (no right to look, an I/O error, a share that does not answer).
Result<Kind> kind_at(const std::string& path);
// What a path leads to, links followed: how the operator's configured folders are taken.
Result<Kind> kind_of_target(const std::string& path);

// The plain, non-hidden regular files of a folder, in the order in which the file system
// delivers them, read one at a time as they are asked for.
class FolderListing {
  public:
    static Result<FolderListing> open(const std::string& folder);
    FolderListing(FolderListing&&) noexcept;
    FolderListing& operator=(FolderListing&&) noexcept;
    ~FolderListing();

    // The next file's name; nothing at the end of the listing; an Error when reading the
    // listing failed part-way.
    Result<std::optional<std::string>> next_regular_file();

  private:
    struct State;
    explicit FolderListing(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// Whether links are followed when a file is opened for reading. The reports a run reads back
// (its log, its metrics, its manifest) refuse them: a link planted there must never make the
// run copy the file it leads to.
enum class Links { follow, refuse };

// A regular file opened for sequential reading. Anything that is not a regular file (a folder, a
// FIFO, a device) is refused at open, so a read can never block or run on for ever. Its errors
// leave the path empty, for the one who opened the file to name: a sounding name that is not
// there, as most are not, costs no copy of it.
class InputFile {
  public:
    static Result<InputFile> open(const std::string& path, Links links = Links::follow);
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    ~InputFile();

    // Bytes read into buf, 0 at the end of the file.
    Result<std::size_t> read(char* buf, std::size_t size);
    // Moves the reading position to this many bytes from the start.
    Result<> seek(std::size_t offset);
    // The size the file had when it was opened.
    std::size_t size_at_open() const { return size_; }

  private:
    InputFile(std::intptr_t handle, std::size_t size) : handle_(handle), size_(size) {}
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;  // a file descriptor, or a Windows HANDLE
    std::size_t size_ = 0;
};

// The whole content of a regular file of at most max_bytes.
Result<std::vector<unsigned char>> read_whole_file(const std::string& path, std::size_t max_bytes,
                                                   Links links = Links::follow);

// The end of a regular file: all of it when it has at most max_bytes, otherwise its last
// max_bytes (cut then says so).
struct FileEnd {
    std::vector<unsigned char> bytes;
    bool cut = false;
};
Result<FileEnd> read_file_end(const std::string& path, std::size_t max_bytes, Links links);

// The bytes of a file read whole, seen as text.
inline std::string_view as_text(const std::vector<unsigned char>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Writes the bytes to a file created at the path, which must not exist yet: nothing that stands
// there is written through, followed or replaced.
Result<> create_new_file(const std::string& path, std::span<const unsigned char> bytes);

// Adds the text at the end of a regular file, created when missing, and gives the file's size
// after it. A link at its name is refused (link_refused_text), never followed.
Result<std::uint64_t> append_to_file(const std::string& path, std::string_view text);

// Removes a file (or a link, never what it points to).
Result<> remove_file(const std::string& path);

// This run's own mark, part of the name of every temporary file it makes, so that no other run,
// started from any folder or account, uses the same names: 16 hexadecimal digits.
const std::string& run_mark();
// Whether a text is a run's mark.
bool is_run_mark(std::string_view text);

// The name a replacement of target is written under in this run: ".NAME.MARK.tmp" beside it.
std::string temporary_name(const std::string& target);
// The name of the file a temporary of a replacement stands for ("plotftEs1.gif" for
// ".plotftEs1.gif.0123456789abcdef.tmp"); nothing for any other name. The marks of runs before
// marks were used (".plotftEs1.gif.tmp") are taken too.
std::optional<std::string_view> target_of_temporary(std::string_view name);

// Whether a replacement must survive a power cut as soon as it is committed.
enum class Durability { ordinary, flushed };

// A committed replacement: the new file is in the target's place. When the folder's new entry
// could not be flushed afterwards, not_flushed says why: the file is in place, but a power cut
// could still undo the rename.
struct Placed {
    std::optional<Note> not_flushed;
};

// A file written next to its final place under this run's temporary name and renamed over the
// target once complete, so that no reader ever sees half of it and a link at the target is
// replaced, not followed. Destroying an uncommitted file removes its temporary.
class ReplacementFile {
  public:
    static Result<ReplacementFile> create(const std::string& target, Durability durability);
    ReplacementFile(ReplacementFile&& other) noexcept;
    ReplacementFile& operator=(ReplacementFile&&) = delete;
    ~ReplacementFile();

    // Appends the bytes; an Error when they could not all be written (a full disk).
    Result<> write(const unsigned char* data, std::size_t size);
    // Puts the written file in the target's place. A flushed replacement reaches the disk before
    // the rename and the folder's new entry right after it. An Error means the target is as it
    // was.
    Result<Placed> commit();

  private:
    ReplacementFile(std::string target, std::string temp, Durability durability,
                    std::intptr_t handle)
        : target_(std::move(target)),
          temp_path_(std::move(temp)),
          durability_(durability),
          handle_(handle) {}
    static constexpr std::intptr_t invalid = -1;
    std::string target_;
    std::string temp_path_;
    Durability durability_;
    std::intptr_t handle_ = invalid;
    bool committed_ = false;
};

// Writes the bytes as a ReplacementFile and commits it: the target is the new file or, on any
// failure, what it was.
Result<Placed> replace_file(const std::string& target, std::span<const unsigned char> bytes,
                            Durability durability);
// The same for a text (the manifest, the metrics, the run log, the archive index).
inline Result<Placed> replace_file(const std::string& target, std::string_view text,
                                   Durability durability) {
    return replace_file(target,
                        std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()),
                        durability);
}

// What a run left behind when it was killed, swept from a folder.
struct Swept {
    int removed = 0;
    std::vector<Note> left;  // what stands at a temporary name and could not go, and why
};
// Removes from the folder what killed runs left at temporary names: every name for which
// ours(name) holds. A file goes when no live run is writing it (where the file system cannot
// tell, when it is more than an hour old); a link or an empty folder goes at once; anything else
// is named in left with why it stays. An Error when the folder cannot be listed.
Result<Swept> sweep_temporaries(const std::string& folder, bool (*ours)(std::string_view name));

// Whether this process can do in a folder what a run does there: create a file (one is made and
// removed again, under a name no run uses) and take a lock on it. scrive says why it cannot
// write there; blocca, tried only where it can write, why the file system gives no lock.
struct Prova {
    Result<> scrive;
    Result<> blocca;
};
Prova try_folder(const std::string& folder);

// A path on a drive letter mapped to a network share (Windows), which a scheduled task does not
// see: its network name ("\\server\share\folder\"), or an empty text when that cannot be
// told. Nothing for any other path, and on POSIX.
std::optional<std::string> mapped_drive(const std::string& path);

// The account this process runs as, and whether it may read and write anywhere (root; on
// Windows an administrator's elevated process), so that what it may do says nothing of what
// another account may.
struct Account {
    std::string name;
    bool privileged = false;
};
Account current_account();
// Whether the system has an account of that name.
bool account_exists(const std::string& name);
// Runs what() as the account, in a process of its own with that account's rights alone, and
// gives its status. Only a privileged process can; an Error says why not.
Result<int> run_as(const std::string& account, const std::function<int()>& what);

// The name of the file a run keeps in each folder it writes, to take its turn there.
inline constexpr std::string_view turn_file_name = ".ftes-charts.lock";

// The turn of one run on the folders it writes (its base folder, which holds the temporary BMPs
// and the archive, and its web folder), so that two runs that write the same folders (the daily
// one, the live one and an operator's backfill, started from any folder or account) never write
// at the same time. It is an advisory lock on a file of each folder, turn_file_name, that is
// made when missing. A run that wants its turn rings first (a second lock of each folder, held
// while it waits), so that a backfill that takes its turn day by day lets a waiting run in after
// the day it is drawing.
class Turn {
  public:
    // Opens the turn's file in each folder; the same folder named twice, by whatever path,
    // counts once. A folder whose turn file cannot be opened is left out, and named in left_out.
    static Turn open(const std::vector<std::string>& folders);
    Turn(Turn&& other) noexcept;
    Turn& operator=(Turn&&) = delete;
    ~Turn();

    // Waits up to wait for the turn on every folder: true once it is held, false when another
    // run kept it all that time, an Error (with the system's words) when the file system gives
    // no lock at all. Nothing is held after false or an Error.
    Result<bool> acquire(std::chrono::milliseconds wait);
    // Gives the turn back; nothing when it is not held.
    void release();

    // The turn files, in the order they are taken.
    const std::vector<std::string>& paths() const { return paths_; }
    const std::vector<Note>& left_out() const { return left_out_; }

  private:
    struct Lock;
    Turn() = default;
    std::vector<Lock> locks_;
    std::vector<std::string> paths_;
    std::vector<Note> left_out_;
    bool held_ = false;
};

}  // namespace ftes::platform
