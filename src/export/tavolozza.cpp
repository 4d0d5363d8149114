#include "export/tavolozza.h"

#include <unordered_map>

namespace ftes::esportazione {

namespace {

std::uint32_t chiave(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

void riduci_332(const std::uint8_t* rgb, std::size_t pixel, ImmagineIndicizzata& out) {
    out.tavolozza.clear();
    out.tavolozza.reserve(256);
    for (unsigned i = 0; i < 256; ++i) {
        // Spread each channel's levels over 0..255 evenly.
        out.tavolozza.push_back({static_cast<std::uint8_t>((i >> 5) * 255 / 7),
                                 static_cast<std::uint8_t>(((i >> 2) & 7) * 255 / 7),
                                 static_cast<std::uint8_t>((i & 3) * 255 / 3)});
    }
    out.indici.resize(pixel);
    for (std::size_t i = 0; i < pixel; ++i) {
        const std::uint8_t* p = rgb + i * 3;
        const unsigned r = (p[0] * 7u + 127) / 255, g = (p[1] * 7u + 127) / 255,
                       b = (p[2] * 3u + 127) / 255;
        out.indici[i] = static_cast<std::uint8_t>(r << 5 | g << 2 | b);
    }
}

}  // namespace

ImmagineIndicizzata indicizza(const std::uint8_t* rgb, int larghezza, int altezza) {
    const std::size_t pixel =
        static_cast<std::size_t>(larghezza) * static_cast<std::size_t>(altezza);
    ImmagineIndicizzata out{larghezza, altezza, {}, {}};
    out.indici.resize(pixel);
    std::unordered_map<std::uint32_t, std::uint8_t> posto;
    // A chart is long runs of one colour: the previous pixel's index is the usual answer.
    std::uint32_t ultima = 0xFFFFFFFF;
    std::uint8_t indice = 0;
    for (std::size_t i = 0; i < pixel; ++i) {
        const std::uint8_t* p = rgb + i * 3;
        const std::uint32_t k = chiave(p);
        if (k != ultima) {
            const auto [it, nuovo] = posto.try_emplace(k, static_cast<std::uint8_t>(0));
            if (nuovo) {
                if (out.tavolozza.size() == 256) {
                    riduci_332(rgb, pixel, out);
                    return out;
                }
                it->second = static_cast<std::uint8_t>(out.tavolozza.size());
                out.tavolozza.push_back({p[0], p[1], p[2]});
            }
            ultima = k;
            indice = it->second;
        }
        out.indici[i] = indice;
    }
    return out;
}

}  // namespace ftes::esportazione
