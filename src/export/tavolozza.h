// SPDX-License-Identifier: MIT
// Pictures in the indexed colours of a GIF.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/rgb.h"

namespace ftes::esportazione {

struct ImmagineIndicizzata {
    int larghezza = 0;
    int altezza = 0;
    std::vector<canvas::Rgb> tavolozza;  // at most 256 colours
    std::vector<std::uint8_t> indici;    // one palette index per pixel, rows top to bottom
};

}  // namespace ftes::esportazione
