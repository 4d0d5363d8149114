// SPDX-License-Identifier: MIT
#include "export/lettura_bmp.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace ftes::esportazione {

namespace {

std::uint32_t u16(const unsigned char* p) {
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8;
}
std::uint32_t u32(const unsigned char* p) {
    return u16(p) | u16(p + 2) << 16;
}

constexpr std::size_t intestazioni = 14 + 40;

platform::Error non_bmp(const char* perche) {
    return {{}, std::string("not the canvas's BMP: ") + perche};
}

}  // namespace

platform::Result<ImmagineIndicizzata> leggi_bmp_8(std::vector<unsigned char> file, int max_lato) {
    const unsigned char* dati = file.data();
    const std::size_t dimensione = file.size();
    if (dimensione < intestazioni || dati[0] != 'B' || dati[1] != 'M') {
        return non_bmp("no BMP signature and headers");
    }
    const std::uint32_t inizio_pixel = u32(dati + 10);
    const auto larghezza = static_cast<std::int32_t>(u32(dati + 18));
    const auto altezza_grezza = static_cast<std::int32_t>(u32(dati + 22));
    const std::uint32_t colori_dichiarati = u32(dati + 46);
    if (u32(dati + 14) != 40) return non_bmp("another kind of info header");
    if (u16(dati + 26) != 1 || u16(dati + 28) != 8) return non_bmp("not 8 bits a pixel");
    if (u32(dati + 30) != 0) return non_bmp("compressed");
    if (colori_dichiarati > 256) return non_bmp("a palette of more than 256 colours");
    const std::uint32_t colori = colori_dichiarati == 0 ? 256 : colori_dichiarati;
    // A negative height stores the rows top to bottom.
    const bool dall_alto = altezza_grezza < 0;
    const std::int64_t altezza = dall_alto ? -static_cast<std::int64_t>(altezza_grezza)
                                           : static_cast<std::int64_t>(altezza_grezza);
    if (larghezza <= 0 || altezza <= 0 || larghezza > max_lato || altezza > max_lato) {
        return non_bmp("empty, or larger than 4096 pixels a side");
    }
    if (inizio_pixel < intestazioni + std::size_t{4} * colori) {
        return non_bmp("its pixels start inside its palette");
    }
    const auto w = static_cast<std::size_t>(larghezza), h = static_cast<std::size_t>(altezza);
    const std::size_t riga = (w + 3) / 4 * 4;
    if (inizio_pixel > dimensione || (dimensione - inizio_pixel) / riga < h) {
        return non_bmp("its pixels run past the end of the file");
    }
    // The palette, before the pixels are moved over it.
    std::array<canvas::Rgb, 256> voci{};
    for (std::size_t i = 0; i < colori; ++i) {
        const unsigned char* q = dati + intestazioni + 4 * i;
        voci[i] = {q[2], q[1], q[0]};
    }

    // The picture is made in the file's own memory: each row moved down to the start without
    // its padding (never onto a row not moved yet), then, for a BMP stored bottom row first,
    // the rows put top to bottom.
    unsigned char* pixel = file.data();
    for (std::size_t r = 0; r < h; ++r)
        std::memmove(pixel + r * w, dati + inizio_pixel + r * riga, w);
    if (!dall_alto) {
        for (std::size_t r = 0; r < h / 2; ++r) {
            std::swap_ranges(pixel + r * w, pixel + (r + 1) * w, pixel + (h - 1 - r) * w);
        }
    }
    file.resize(w * h);
    ImmagineIndicizzata img{larghezza, static_cast<int>(altezza), {}, std::move(file)};
    // The palette entries the pixels use.
    std::array<bool, 256> usato{};
    for (const std::uint8_t i : img.indici) usato[i] = true;
    // The used entries in the palette's order, each colour once.
    std::array<std::uint8_t, 256> mappa{};
    bool identica = true;
    for (std::size_t i = 0; i < usato.size(); ++i) {
        if (!usato[i]) continue;
        if (i >= colori) return non_bmp("its pixels point past its palette");
        const canvas::Rgb colore = voci[i];
        const auto gia = std::find(img.tavolozza.begin(), img.tavolozza.end(), colore);
        mappa[i] = static_cast<std::uint8_t>(gia - img.tavolozza.begin());
        if (gia == img.tavolozza.end()) img.tavolozza.push_back(colore);
        identica = identica && mappa[i] == i;
    }
    // The canvas's own BMPs usually use their whole palette: then the indices stay as they are.
    if (!identica) {
        for (std::uint8_t& i : img.indici) i = mappa[i];
    }
    return img;
}

}  // namespace ftes::esportazione
