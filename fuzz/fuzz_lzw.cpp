// SPDX-License-Identifier: MIT
// The component's GIF compression against giflib's own, on arbitrary pictures: the first byte
// chooses the palette's size and the second the width, the rest are the pixels' indices (past
// the palette now and then). Any byte that differs from giflib's GIF stops the fuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "export/codifica_gif.h"
#include "support/giflib_riferimento.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // One compressor for every input, as one run's component keeps its tables for its charts.
    static ftes::esportazione::CompressoreLzw compressore;
    const int colori = 1 + data[0];
    const int larghezza = 1 + data[1];
    ftes::esportazione::ImmagineIndicizzata img;
    img.indici.assign(data + 2, data + size);
    img.larghezza = larghezza;
    img.altezza = static_cast<int>((img.indici.size() + larghezza - 1) / larghezza);
    img.indici.resize(static_cast<std::size_t>(img.larghezza) * img.altezza, 0);
    for (int i = 0; i < colori; ++i) {
        img.tavolozza.push_back(
            {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)});
    }
    const auto nostra = ftes::esportazione::codifica_gif(img, compressore);
    if (!nostra || *nostra != ftes::test::gif_di_giflib(img)) std::abort();
    return 0;
}
