// SPDX-License-Identifier: MIT
// Decoding a published GIF back into pixels, to check what the operators will see.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "canvas/rgb.h"

namespace ftes::test {

struct GifDecodificata {
    int larghezza = 0;
    int altezza = 0;
    std::vector<canvas::Rgb> pixel;
    canvas::Rgb at(int col, int row) const {
        return pixel[static_cast<std::size_t>(row) * static_cast<std::size_t>(larghezza) +
                     static_cast<std::size_t>(col)];
    }
};

std::optional<GifDecodificata> decodifica_gif(const std::string& percorso);

}  // namespace ftes::test
