// The parts of the platform layer that are the same on every system.
#include "platform/file_system.h"

namespace ftes::platform {

const char* describe(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::none:
            return "open";
        case OpenFailure::missing:
            return "not found";
        case OpenFailure::not_regular:
            return "not a regular file (a folder, device or pipe)";
        case OpenFailure::refused:
            return "cannot be opened (no rights, or locked)";
    }
    return "cannot be opened";
}

std::string temporary_name(const std::string& target) {
    // Windows takes both slashes between folders.
    const std::size_t cut = target.find_last_of(separator() == '\\' ? "\\/" : "/");
    const std::size_t name = cut == std::string::npos ? 0 : cut + 1;
    return target.substr(0, name) + "." + target.substr(name) + ".tmp";
}

}  // namespace ftes::platform
