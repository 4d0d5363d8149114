// SPDX-License-Identifier: MIT
#include "support/gif.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cstring>

#include "support/cartella_temporanea.h"

namespace ftes::test {

namespace {

struct Lettura {
    std::string byte;
    std::size_t letti = 0;
};

int leggi(GifFileType* gif, GifByteType* dove, int quanti) {
    auto* l = static_cast<Lettura*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(quanti), l->byte.size() - l->letti);
    std::memcpy(dove, l->byte.data() + l->letti, n);
    l->letti += n;
    return static_cast<int>(n);
}

}  // namespace

std::optional<GifDecodificata> decodifica_gif(const std::string& percorso) {
    // Read through the file system's own names (UTF-8 here, UTF-16 on Windows), then decoded.
    Lettura lettura{leggi_file(percorso_utf8(percorso))};
    if (lettura.byte.empty()) return std::nullopt;
    int errore = 0;
    GifFileType* gif = DGifOpen(&lettura, leggi, &errore);
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

GifDecodificata fotografa(const canvas::Canvas& tela) {
    CartellaTemporanea dir;
    const std::string bmp = (dir.percorso() / "canvas.bmp").string();
    GifDecodificata d;
    EXPECT_TRUE(tela.capture_bmp(bmp));
    int n = 0;
    stbi_uc* px = stbi_load(bmp.c_str(), &d.larghezza, &d.altezza, &n, 3);
    EXPECT_NE(px, nullptr);
    if (px == nullptr) return {};
    for (int i = 0; i < d.larghezza * d.altezza; ++i) {
        d.pixel.push_back({px[i * 3], px[i * 3 + 1], px[i * 3 + 2]});
    }
    stbi_image_free(px);
    return d;
}

int conta(const GifDecodificata& immagine, canvas::Rgb colore) {
    return static_cast<int>(std::count(immagine.pixel.begin(), immagine.pixel.end(), colore));
}

}  // namespace ftes::test
