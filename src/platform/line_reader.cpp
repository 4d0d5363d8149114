// SPDX-License-Identifier: MIT
#include "platform/line_reader.h"

#include <algorithm>
#include <cstring>

namespace ftes::platform {

LineReader::LineReader(const std::string& path, std::size_t max_bytes)
    : max_bytes_(std::min(max_bytes, max_scanned_bytes)) {
    file_.emplace(path);
    open_ = file_->is_open();
    at_end_ = !open_;
}

LineReader::LineReader(Memory, std::string_view text) : memory_(text), open_(true) {}

LineReader LineReader::from_memory(std::string_view text) {
    return LineReader(Memory{}, text);
}

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
        read_failed_ = !got;
        at_end_ = true;
        return false;
    }
    chunk_ = buffer_;
    begin_ = 0;
    end_ = *got;
    scanned_ += end_;
    return true;
}

bool LineReader::take_line(std::string* line) {
    if (!open_ || (begin_ == end_ && !fill())) return false;
    for (;;) {
        if (begin_ == end_ && !fill()) return true;  // last line without a line end
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
        return true;
    }
}

bool LineReader::read_line(std::string& line) {
    line.clear();
    return take_line(&line);
}

bool LineReader::skip_line() {
    return take_line(nullptr);
}

std::optional<std::string> LineReader::next_line() {
    std::string line;
    if (!read_line(line)) return std::nullopt;
    return line;
}

}  // namespace ftes::platform
