#include "canvas/bmp.h"

#include <cstddef>

namespace ftes::canvas {

namespace {

void u16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8 & 0xFF));
}

void u32(std::vector<unsigned char>& out, std::uint32_t v) {
    u16(out, v & 0xFFFF);
    u16(out, v >> 16);
}

}  // namespace

std::vector<unsigned char> codifica_bmp(const std::uint8_t* rgb, int larghezza, int altezza) {
    const auto w = static_cast<std::size_t>(larghezza), h = static_cast<std::size_t>(altezza);
    // Every row of pixels is padded to a multiple of 4 bytes.
    const std::size_t riga = w * 3, riempimento = (4 - riga % 4) % 4;
    const std::size_t dati = (riga + riempimento) * h;
    constexpr std::uint32_t intestazioni = 14 + 40;

    std::vector<unsigned char> out;
    out.reserve(intestazioni + dati);
    // File header (14 bytes)
    out.push_back('B');                                         // signature "BM"
    out.push_back('M');                                         //
    u32(out, static_cast<std::uint32_t>(intestazioni + dati));  // file size
    u32(out, 0);                                                // reserved
    u32(out, intestazioni);                                     // offset of the pixel data
    // Info header, BITMAPINFOHEADER (40 bytes)
    u32(out, 40);                                // header size
    u32(out, static_cast<std::uint32_t>(w));     // width
    u32(out, static_cast<std::uint32_t>(h));     // height; positive: rows bottom to top
    u16(out, 1);                                 // colour planes
    u16(out, 24);                                // bits per pixel
    u32(out, 0);                                 // compression: none (BI_RGB)
    u32(out, static_cast<std::uint32_t>(dati));  // size of the pixel data
    u32(out, 2835);                              // horizontal resolution, pixels a metre (72 dpi)
    u32(out, 2835);                              // vertical resolution
    u32(out, 0);                                 // colours in the palette: none
    u32(out, 0);                                 // important colours: all
    // Pixel data: bottom row first, each pixel blue, green, red, then the row's padding.
    out.resize(intestazioni + dati);
    unsigned char* q = out.data() + intestazioni;
    for (std::size_t r = h; r-- > 0;) {
        const std::uint8_t* p = rgb + r * riga;
        for (std::size_t c = 0; c < w; ++c, p += 3, q += 3) {
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
        for (std::size_t k = 0; k < riempimento; ++k) *q++ = 0;
    }
    return out;
}

}  // namespace ftes::canvas
