#include "platform/line_reader.h"

#include <algorithm>
#include <cstring>

namespace ftes::platform {

namespace {
constexpr std::size_t buffer_size = std::size_t{16} * 1024;
}

LineReader::LineReader(const std::string& path) : file_(std::make_unique<InputFile>(path)) {
    open_ = file_->is_open();
    at_end_ = !open_;
    if (open_) buffer_ = std::make_unique_for_overwrite<char[]>(buffer_size);
}

LineReader LineReader::from_memory(std::string_view text) {
    LineReader r;
    r.memory_ = text;
    r.open_ = true;
    return r;
}

bool LineReader::fill() {
    if (at_end_) return false;
    if (!file_) {
        // In-memory text: hand out the whole remaining view (capped like a file) at once.
        const std::size_t left = std::min(memory_.size(), max_scanned_bytes - scanned_);
        if (left == 0) {
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
    const std::size_t want = std::min(buffer_size, max_scanned_bytes - scanned_);
    const long got = want == 0 ? 0 : file_->read(buffer_.get(), want);
    if (got <= 0) {
        at_end_ = true;
        return false;
    }
    chunk_ = buffer_.get();
    begin_ = 0;
    end_ = static_cast<std::size_t>(got);
    scanned_ += end_;
    return true;
}

int LineReader::peek() {
    if (begin_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(chunk_[begin_]);
}

int LineReader::get() {
    const int c = peek();
    if (c >= 0) ++begin_;
    return c;
}

std::optional<std::string> LineReader::next_line() {
    if (!open_ || (begin_ == end_ && !fill())) return std::nullopt;
    std::string line;
    for (;;) {
        if (begin_ == end_ && !fill()) return line;  // last line without a line end
        const char* data = chunk_ + begin_;
        const std::size_t avail = end_ - begin_;
        const auto* stop = static_cast<const char*>(std::memchr(data, '\n', avail));
        const auto* cr = static_cast<const char*>(std::memchr(data, '\r', avail));
        if (cr != nullptr && (stop == nullptr || cr < stop)) stop = cr;
        const std::size_t take = stop == nullptr ? avail : static_cast<std::size_t>(stop - data);
        const std::size_t room = max_line_length - line.size();
        line.append(data, std::min(take, room));
        begin_ += take;
        if (stop == nullptr) continue;
        if (get() == '\r' && peek() == '\n') get();
        return line;
    }
}

}  // namespace ftes::platform
