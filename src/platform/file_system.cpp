// SPDX-License-Identifier: MIT
// The parts of the platform layer that are the same on every system.
#include "platform/file_system.h"

namespace ftes::platform {

std::string temporary_name(const std::string& target) {
    // Windows takes both slashes between folders.
    const std::size_t cut = target.find_last_of(separator() == '\\' ? "\\/" : "/");
    const std::size_t name = cut == std::string::npos ? 0 : cut + 1;
    return target.substr(0, name) + "." + target.substr(name) + ".tmp";
}

Result<> replace_file(const std::string& target, std::span<const unsigned char> bytes,
                      Durability durability) {
    ReplacementFile file(target, durability);
    if (auto written = file.write(bytes.data(), bytes.size()); !written) return written;
    return file.commit();
}

Result<std::vector<unsigned char>> read_whole_file(const std::string& path, std::size_t max_bytes) {
    const Error too_large{path, "larger than " + std::to_string(max_bytes) + " bytes"};
    InputFile file(path);
    const auto named = [&](Error e) {
        e.path = path;
        return e;
    };
    if (!file.is_open()) return named(*file.error());
    if (file.size_at_open() > max_bytes) return too_large;
    // Room for the file as it was opened and one byte more, to see its end in the same read;
    // a file that grows meanwhile is read on in steps, up to max_bytes.
    std::vector<unsigned char> bytes(file.size_at_open() + 1);
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > max_bytes) break;
            bytes.resize(size + std::size_t{64} * 1024);
        }
        const auto n = file.read(reinterpret_cast<char*>(bytes.data() + size), bytes.size() - size);
        if (!n) return named(n.error());
        if (*n == 0) break;
        size += *n;
    }
    if (size > max_bytes) return too_large;
    bytes.resize(size);
    return bytes;
}

}  // namespace ftes::platform
