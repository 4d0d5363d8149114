#include "export/lettura_bmp.h"

namespace ftes::esportazione {

namespace {

std::uint32_t u16(const unsigned char* p) {
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8;
}
std::uint32_t u32(const unsigned char* p) {
    return u16(p) | u16(p + 2) << 16;
}

}  // namespace

std::optional<ImmagineRgb> leggi_bmp_24(const unsigned char* dati, std::size_t dimensione,
                                        int max_lato) {
    constexpr std::size_t intestazioni = 14 + 40;
    if (dimensione < intestazioni || dati[0] != 'B' || dati[1] != 'M') return std::nullopt;
    const std::uint32_t inizio_pixel = u32(dati + 10);
    const std::uint32_t dimensione_info = u32(dati + 14);
    const auto larghezza = static_cast<std::int32_t>(u32(dati + 18));
    const auto altezza_grezza = static_cast<std::int32_t>(u32(dati + 22));
    if (dimensione_info != 40 || u16(dati + 26) != 1 || u16(dati + 28) != 24 ||
        u32(dati + 30) != 0) {
        return std::nullopt;  // another header, bit depth or compression
    }
    // A negative height stores the rows top to bottom.
    const bool dall_alto = altezza_grezza < 0;
    const std::int64_t altezza = dall_alto ? -static_cast<std::int64_t>(altezza_grezza)
                                           : static_cast<std::int64_t>(altezza_grezza);
    if (larghezza <= 0 || altezza <= 0 || larghezza > max_lato || altezza > max_lato ||
        inizio_pixel < intestazioni) {
        return std::nullopt;
    }
    const auto w = static_cast<std::size_t>(larghezza), h = static_cast<std::size_t>(altezza);
    const std::size_t riga = (w * 3 + 3) / 4 * 4;
    if (inizio_pixel > dimensione || (dimensione - inizio_pixel) / riga < h) return std::nullopt;

    ImmagineRgb img{larghezza, static_cast<int>(altezza), std::vector<std::uint8_t>(w * h * 3)};
    for (std::size_t r = 0; r < h; ++r) {
        const unsigned char* sorgente = dati + inizio_pixel + (dall_alto ? r : h - 1 - r) * riga;
        std::uint8_t* destinazione = img.rgb.data() + r * w * 3;
        for (std::size_t c = 0; c < w; ++c) {
            destinazione[c * 3] = sorgente[c * 3 + 2];
            destinazione[c * 3 + 1] = sorgente[c * 3 + 1];
            destinazione[c * 3 + 2] = sorgente[c * 3];
        }
    }
    return img;
}

}  // namespace ftes::esportazione
