#include "support/gif.h"

#include <gif_lib.h>

namespace ftes::test {

std::optional<GifDecodificata> decodifica_gif(const std::string& percorso) {
    int errore = 0;
    GifFileType* gif = DGifOpenFileName(percorso.c_str(), &errore);
    if (gif == nullptr) return std::nullopt;
    std::optional<GifDecodificata> out;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
        const SavedImage& img = gif->SavedImages[0];
        const ColorMapObject* mappa =
            img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
        if (mappa != nullptr && img.ImageDesc.Width == gif->SWidth &&
            img.ImageDesc.Height == gif->SHeight) {
            GifDecodificata d;
            d.larghezza = gif->SWidth;
            d.altezza = gif->SHeight;
            const std::size_t n = static_cast<std::size_t>(d.larghezza) * d.altezza;
            for (std::size_t i = 0; i < n; ++i) {
                const GifColorType c = mappa->Colors[img.RasterBits[i]];
                d.pixel.push_back({c.Red, c.Green, c.Blue});
            }
            out = std::move(d);
        }
    }
    DGifCloseFile(gif, &errore);
    return out;
}

}  // namespace ftes::test
