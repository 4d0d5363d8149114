// SPDX-License-Identifier: MIT
// Writing the canvas as an 8-bit paletted BMP file image: one byte a pixel, the chart's few
// colours in the palette, so that the picture is read back without any colour reduction.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "canvas/rgb.h"

namespace ftes::canvas {

// The BMP file bytes of a picture of palette indices (rows top to bottom, one byte a pixel) with
// its palette of at most 256 colours.
std::vector<unsigned char> codifica_bmp(const std::uint8_t* indici, int larghezza, int altezza,
                                        std::span<const Rgb> tavolozza);

}  // namespace ftes::canvas
