// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace ftes::canvas {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

}  // namespace ftes::canvas
