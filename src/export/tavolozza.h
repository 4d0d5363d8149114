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

// The indexed form of an RGB picture. A picture of at most 256 colours keeps exactly its
// colours, in order of first appearance; a picture with more is reduced to the fixed 3-3-2
// palette (no dithering).
ImmagineIndicizzata indicizza(const std::uint8_t* rgb, int larghezza, int altezza);

}  // namespace ftes::esportazione
