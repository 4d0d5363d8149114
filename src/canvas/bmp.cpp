// SPDX-License-Identifier: MIT
#include "canvas/bmp.h"

#include <cstddef>
#include <cstring>

namespace ftes::canvas {

namespace {

unsigned char* u16(unsigned char* out, std::uint32_t v) {
    out[0] = static_cast<unsigned char>(v & 0xFF);
    out[1] = static_cast<unsigned char>(v >> 8 & 0xFF);
    return out + 2;
}

unsigned char* u32(unsigned char* out, std::uint32_t v) {
    return u16(u16(out, v & 0xFFFF), v >> 16);
}

}  // namespace

std::vector<unsigned char> codifica_bmp(const std::uint8_t* indici, int larghezza, int altezza,
                                        std::span<const Rgb> tavolozza) {
    const auto w = static_cast<std::size_t>(larghezza), h = static_cast<std::size_t>(altezza);
    const auto colori = static_cast<std::uint32_t>(tavolozza.size());
    // Every row of pixels is padded to a multiple of 4 bytes.
    const std::size_t riga = (w + 3) / 4 * 4;
    const std::size_t dati = riga * h;
    const std::uint32_t intestazioni = 14 + 40 + 4 * colori;

    std::vector<unsigned char> out(intestazioni + dati);
    unsigned char* q = out.data();
    // File header (14 bytes)
    *q++ = 'B';                                          // signature "BM"
    *q++ = 'M';                                          //
    q = u32(q, static_cast<std::uint32_t>(out.size()));  // file size
    q = u32(q, 0);                                       // reserved
    q = u32(q, intestazioni);                            // offset of the pixel data
    // Info header, BITMAPINFOHEADER (40 bytes)
    q = u32(q, 40);                                // header size
    q = u32(q, static_cast<std::uint32_t>(w));     // width
    q = u32(q, static_cast<std::uint32_t>(h));     // height; positive: rows bottom to top
    q = u16(q, 1);                                 // colour planes
    q = u16(q, 8);                                 // bits per pixel: one palette index
    q = u32(q, 0);                                 // compression: none (BI_RGB)
    q = u32(q, static_cast<std::uint32_t>(dati));  // size of the pixel data
    q = u32(q, 2835);                              // horizontal resolution, pixels a metre (72 dpi)
    q = u32(q, 2835);                              // vertical resolution
    q = u32(q, colori);                            // colours in the palette
    q = u32(q, 0);                                 // important colours: all
    // Palette: blue, green, red and a reserved zero for each colour.
    for (const Rgb& c : tavolozza) {
        *q++ = c.b;
        *q++ = c.g;
        *q++ = c.r;
        *q++ = 0;
    }
    // Pixel data: bottom row first, each row followed by its padding of zeros.
    for (std::size_t r = h; r-- > 0;) {
        std::memcpy(q, indici + r * w, w);
        std::memset(q + w, 0, riga - w);
        q += riga;
    }
    return out;
}

}  // namespace ftes::canvas
