// Writing the canvas as a 24-bit BMP file image.
#pragma once

#include <cstdint>
#include <vector>

namespace ftes::canvas {

// The BMP file bytes of an RGB picture (rows top to bottom, 3 bytes a pixel).
std::vector<unsigned char> codifica_bmp(const std::uint8_t* rgb, int larghezza, int altezza);

}  // namespace ftes::canvas
