// SPDX-License-Identifier: MIT
// Bounded reading of text lines. A line ends at CR, CR LF or LF; the line end is not part of the
// line, and a last line without a line end is read up to the end of the file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace ftes::platform {

class LineReader {
  public:
    // The stored part of one line; the rest of a longer line is skipped, not stored.
    static constexpr std::size_t max_line_length = std::size_t{64} * 1024;
    // The bytes one reader scans at most. Every line the batch reads lies far inside it; a file
    // that goes on beyond it is read as if it ended there (see cut_short()), so a damaged file
    // of gigabytes costs no more than this.
    static constexpr std::size_t max_scanned_bytes = std::size_t{4} * 1024 * 1024;

    // Reads the file at path; is_open() tells whether it opened, error() why not.
    // A reader that needs less than the whole budget may scan fewer bytes.
    explicit LineReader(const std::string& path, std::size_t max_bytes = max_scanned_bytes);
    // Reads text held in memory (the view must outlive the reader).
    static LineReader from_memory(std::string_view text);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool is_open() const { return open_; }
    // Whether reading the file failed after it was opened: what was read up to there is not
    // the whole file, and error() says why.
    bool failed() const { return read_failed_; }
    // Why the file did not open (absent: not there) or a read failed; its path is left empty,
    // for the one who names the file.
    const Error& error() const { return *file_->error(); }
    // The next line, or nothing at the end of the file or on a read error.
    std::optional<std::string> next_line();
    // The same into a text the caller keeps, so that its room serves every line; false at the
    // end of the file.
    bool read_line(std::string& line);
    // Passes over the next line without keeping it; false at the end of the file.
    bool skip_line();
    // Whether reading stopped at the scan budget with more of the file left unread.
    bool cut_short() const { return cut_short_; }

  private:
    struct Memory {};
    LineReader(Memory, std::string_view text);
    bool fill();
    // Moves past the next line, appending up to max_line_length of it to line when given.
    bool take_line(std::string* line);

    std::optional<InputFile> file_;
    std::string_view memory_;
    bool open_ = false;
    bool at_end_ = false;
    bool cut_short_ = false;
    bool read_failed_ = false;
    std::size_t max_bytes_ = max_scanned_bytes;
    std::size_t scanned_ = 0;
    const char* chunk_ = nullptr;  // the bytes between begin_ and end_ are the ones not yet read
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    // Sounding and forecast files take one read; the buffer is not cleared, only read into.
    char buffer_[8 * 1024];
};

}  // namespace ftes::platform
