// SPDX-License-Identifier: MIT
// Decoding a published GIF, or a canvas's own BMP, back into pixels with decoders that are not
// the program's, to check what the operators will see.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/rgb.h"

namespace ftes::test {

struct GifDecodificata {
    int larghezza = 0;
    int altezza = 0;
    std::vector<canvas::Rgb> pixel;
    canvas::Rgb at(int col, int row) const {
        return pixel[static_cast<std::size_t>(row) * static_cast<std::size_t>(larghezza) +
                     static_cast<std::size_t>(col)];
    }
};

std::optional<GifDecodificata> decodifica_gif(const std::string& percorso);

// The canvas's picture as a run would export it: captured as a BMP in a folder of its own and
// decoded by stb's reader.
GifDecodificata fotografa(const canvas::Canvas& tela);
// How many pixels of the picture have the colour.
int conta(const GifDecodificata& immagine, canvas::Rgb colore);

}  // namespace ftes::test
