// SPDX-License-Identifier: MIT
#include "platform/line_reader.h"

#include <algorithm>
#include <cstring>

namespace ftes::platform {

LineReader::LineReader(InputFile file, std::size_t max_bytes)
    : file_(std::move(file)), max_bytes_(std::min(max_bytes, max_scanned_bytes)) {}

LineReader::LineReader(InMemory, std::string_view text) : memory_(text) {}

bool LineReader::fill() {
    if (at_end_) return false;
    const std::size_t budget = max_bytes_ - scanned_;
    if (!file_) {
        // In-memory text: hand out the whole remaining view (capped like a file) at once.
        const std::size_t left = std::min(memory_.size(), budget);
        if (left == 0) {
            cut_short_ = !memory_.empty();
            at_end_ = true;
            return false;
        }
        chunk_ = memory_.data();
        memory_.remove_prefix(left);
        begin_ = 0;
        end_ = left;
        scanned_ += left;
        return true;
    }
    if (budget == 0) {
        char probe = 0;
        const auto more = file_->read(&probe, 1);
        cut_short_ = more && *more > 0;
        at_end_ = true;
        return false;
    }
    const auto got = file_->read(buffer_, std::min(sizeof buffer_, budget));
    if (!got || *got == 0) {
        if (!got) failed_ = got.error();
        at_end_ = true;
        return false;
    }
    chunk_ = buffer_;
    begin_ = 0;
    end_ = *got;
    scanned_ += end_;
    return true;
}

Result<bool> LineReader::take_line(std::string* line) {
    if (begin_ == end_ && !fill()) {
        if (failed_) return *failed_;
        return false;
    }
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (failed_) return *failed_;
            return true;  // last line without a line end
        }
        const char* data = chunk_ + begin_;
        const std::size_t avail = end_ - begin_;
        const auto* stop = static_cast<const char*>(std::memchr(data, '\n', avail));
        const auto* cr =
            static_cast<const char*>(std::memchr(data, '\r', stop ? stop - data : avail));
        if (cr != nullptr) stop = cr;
        const std::size_t take = stop == nullptr ? avail : static_cast<std::size_t>(stop - data);
        if (line != nullptr) line->append(data, std::min(take, max_line_length - line->size()));
        begin_ += take;
        if (stop == nullptr) continue;
        // The line end: CR, LF, or CR LF even when the two lie in different reads.
        const bool was_cr = chunk_[begin_++] == '\r';
        if (was_cr && (begin_ < end_ || fill()) && chunk_[begin_] == '\n') ++begin_;
        if (failed_) return *failed_;
        return true;
    }
}

Result<bool> LineReader::read_line(std::string& line) {
    line.clear();
    return take_line(&line);
}

Result<bool> LineReader::skip_line() {
    return take_line(nullptr);
}

Result<std::optional<std::string>> LineReader::next_line() {
    std::string line;
    const auto read = read_line(line);
    if (!read) return read.error();
    if (!*read) return std::optional<std::string>();
    return std::optional<std::string>(std::move(line));
}

}  // namespace ftes::platform
