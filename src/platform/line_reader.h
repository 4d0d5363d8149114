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

    // Reads an opened file. A reader that needs less than the whole budget may scan fewer bytes.
    explicit LineReader(InputFile file, std::size_t max_bytes = max_scanned_bytes);
    // Reads text held in memory (the view must outlive the reader).
    struct InMemory {};
    LineReader(InMemory, std::string_view text);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line into a text the caller keeps, so that its room serves every line: true
    // when there was one, false at the end of the file, an Error when reading failed (what was
    // read up to there is not the whole file). After an Error every read gives it again.
    Result<bool> read_line(std::string& line);
    // Passes over the next line without keeping it.
    Result<bool> skip_line();
    // The next line as a text of its own; nothing at the end.
    Result<std::optional<std::string>> next_line();
    // Whether reading stopped at the scan budget with more of the file left unread.
    bool cut_short() const { return cut_short_; }

  private:
    bool fill();
    // Moves past the next line, appending up to max_line_length of it to line when given.
    Result<bool> take_line(std::string* line);

    std::optional<InputFile> file_;
    std::optional<Error> failed_;  // why a read failed: every later read says the same
    std::string_view memory_;
    bool at_end_ = false;
    bool cut_short_ = false;
    std::size_t max_bytes_ = max_scanned_bytes;
    std::size_t scanned_ = 0;
    const char* chunk_ = nullptr;  // the bytes between begin_ and end_ are the ones not yet read
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    // Sounding and forecast files take one read; the buffer is not cleared, only read into.
    char buffer_[8 * 1024];
};

}  // namespace ftes::platform
