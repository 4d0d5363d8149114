// SPDX-License-Identifier: MIT
// A picture in indexed colours as the bytes of a GIF file, in memory. giflib writes the file;
// the picture's pixels are compressed here, into the very codes giflib's own compressor
// would give them, with a table a code and a colour index away instead of giflib's hashing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "export/tavolozza.h"
#include "platform/error.h"

namespace ftes::esportazione {

// The tables of the compression: the code of each string by its prefix's code and its last
// index (0 for none: no string has code 0, which is an index's own), a row of them for each
// code, and for each index the codes of its runs by length (the index itself, then two of it,
// ...). A row is cleared when its code is given, so only the rows of the codes a picture gives
// are ever touched.
struct TabelleLzw {
    std::unique_ptr<std::uint16_t[]> seguiti;
    std::size_t dimensione = 0;
    std::vector<std::vector<std::uint16_t>> serie;
};

// Compresses pictures into a GIF's LZW codes. Its tables are kept from one picture to the next:
// a run's charts take that memory, and its pages, once.
class CompressoreLzw {
  public:
    // The LZW image data of a GIF for the indices: its sub-blocks, each of at most 255 bytes
    // after its length, without the minimum code size before them and the empty block that
    // ends them. codice_minimo is that minimum code size (2 to 8); each index counts modulo
    // 2^codice_minimo.
    std::vector<unsigned char> comprimi(const std::uint8_t* indici, std::size_t quanti,
                                        int codice_minimo);

  private:
    TabelleLzw tabelle_;
};

// The picture (its indices, width times height of them) as a GIF (one image, not interlaced,
// its palette as the global colour table), or giflib's reason why not (its path left empty,
// for the caller to name).
platform::Result<std::vector<unsigned char>> codifica_gif(const ImmagineIndicizzata& img,
                                                          CompressoreLzw& compressore);

}  // namespace ftes::esportazione
