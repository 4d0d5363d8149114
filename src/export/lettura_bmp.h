// The common case of reading a BMP: uncompressed 24-bit pixels after a 40-byte info header, as
// the chart canvas writes them. Every other BMP is left to the general decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace ftes::esportazione {

struct ImmagineRgb {
    int larghezza = 0;
    int altezza = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel
};

// The picture of a plain 24-bit BMP of at most max_lato pixels a side; nothing for any other
// file, including one whose pixel data would run past its end.
std::optional<ImmagineRgb> leggi_bmp_24(const unsigned char* dati, std::size_t dimensione,
                                        int max_lato);

}  // namespace ftes::esportazione
