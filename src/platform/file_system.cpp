// SPDX-License-Identifier: MIT
// The parts of the platform layer that are the same on every system.
#include <algorithm>
#include <random>

#include "platform/file_system.h"

namespace ftes::platform {

namespace {

bool hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The mark of this run: drawn once, from the system's source of random numbers.
std::string draw_mark() {
    std::uint64_t value = 0;
    try {
        std::random_device source;
        value = (static_cast<std::uint64_t>(source()) << 32) ^ source();
    } catch (...) {
        // No source of randomness: the time to the nanosecond and where this run's stack lies
        // still tell runs apart.
        int here = 0;
        value = static_cast<std::uint64_t>(
                    std::chrono::steady_clock::now().time_since_epoch().count()) ^
                reinterpret_cast<std::uintptr_t>(&here);
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string mark(16, '0');
    for (std::size_t i = 0; i < mark.size(); ++i) mark[i] = digits[(value >> (4 * i)) & 0xF];
    return mark;
}

// Where the name starts in a path: after the last separator (Windows takes both slashes).
std::size_t name_start(const std::string& path) {
    const std::size_t cut = path.find_last_of(separator() == '\\' ? "\\/" : "/");
    return cut == std::string::npos ? 0 : cut + 1;
}

}  // namespace

const std::string& run_mark() {
    static const std::string mark = draw_mark();
    return mark;
}

bool is_run_mark(std::string_view text) {
    return text.size() == 16 && std::all_of(text.begin(), text.end(), hex_digit);
}

std::string temporary_name(const std::string& target) {
    const std::size_t name = name_start(target);
    return target.substr(0, name) + "." + target.substr(name) + "." + run_mark() + ".tmp";
}

std::optional<std::string_view> target_of_temporary(std::string_view name) {
    constexpr std::string_view end = ".tmp";
    if (name.size() < 1 + 1 + end.size() || name[0] != '.' || !name.ends_with(end)) {
        return std::nullopt;
    }
    std::string_view inner = name.substr(1, name.size() - 1 - end.size());
    // ".NAME.MARK.tmp"; the runs of earlier versions wrote ".NAME.tmp".
    const std::size_t dot = inner.rfind('.');
    if (dot != std::string_view::npos && is_run_mark(inner.substr(dot + 1))) {
        inner = inner.substr(0, dot);
    }
    if (inner.empty()) return std::nullopt;
    return inner;
}

Result<Placed> replace_file(const std::string& target, std::span<const unsigned char> bytes,
                            Durability durability) {
    auto file = ReplacementFile::create(target, durability);
    if (!file) return file.error();
    if (auto written = file->write(bytes.data(), bytes.size()); !written) return written.error();
    return file->commit();
}

Result<std::vector<unsigned char>> read_whole_file(const std::string& path, std::size_t max_bytes,
                                                   Links links) {
    const auto named = [&](Error e) {
        e.path = path;
        return e;
    };
    auto file = InputFile::open(path, links);
    if (!file) return named(file.error());
    if (file->size_at_open() > max_bytes) {
        return Error{path, "larger than " + std::to_string(max_bytes) + " bytes"};
    }
    // Room for the file as it was opened and one byte more, to see its end in the same read;
    // a file that grows meanwhile is read on in steps, up to max_bytes.
    std::vector<unsigned char> bytes(file->size_at_open() + 1);
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > max_bytes) break;
            bytes.resize(size + std::size_t{64} * 1024);
        }
        const auto n =
            file->read(reinterpret_cast<char*>(bytes.data() + size), bytes.size() - size);
        if (!n) return named(n.error());
        if (*n == 0) break;
        size += *n;
    }
    if (size > max_bytes) return Error{path, "larger than " + std::to_string(max_bytes) + " bytes"};
    bytes.resize(size);
    return bytes;
}

Result<FileEnd> read_file_end(const std::string& path, std::size_t max_bytes, Links links) {
    const auto named = [&](Error e) {
        e.path = path;
        return e;
    };
    auto file = InputFile::open(path, links);
    if (!file) return named(file.error());
    FileEnd end;
    const std::size_t size = file->size_at_open();
    if (size > max_bytes) {
        end.cut = true;
        if (auto moved = file->seek(size - max_bytes); !moved) return named(moved.error());
    }
    end.bytes.resize(std::min(size, max_bytes));
    std::size_t got = 0;
    while (got < end.bytes.size()) {
        const auto n =
            file->read(reinterpret_cast<char*>(end.bytes.data() + got), end.bytes.size() - got);
        if (!n) return named(n.error());
        if (*n == 0) break;  // the file shrank meanwhile
        got += *n;
    }
    end.bytes.resize(got);
    return end;
}

}  // namespace ftes::platform
