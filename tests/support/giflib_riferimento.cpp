// SPDX-License-Identifier: MIT
#include "support/giflib_riferimento.h"

#include <gif_lib.h>

namespace ftes::test {

namespace {

int accoda(GifFileType* gif, const GifByteType* dati, int quanti) {
    auto* out = static_cast<std::vector<unsigned char>*>(gif->UserData);
    out->insert(out->end(), dati, dati + quanti);
    return quanti;
}

}  // namespace

std::vector<unsigned char> gif_di_giflib(const esportazione::ImmagineIndicizzata& img) {
    std::vector<unsigned char> out;
    int errore = 0;
    GifFileType* gif = EGifOpen(&out, accoda, &errore);
    if (gif == nullptr) return {};
    int dimensione = 2;
    while (dimensione < static_cast<int>(img.tavolozza.size())) dimensione *= 2;
    ColorMapObject* mappa = GifMakeMapObject(dimensione, nullptr);
    bool fatto = mappa != nullptr;
    if (fatto) {
        for (std::size_t i = 0; i < img.tavolozza.size(); ++i) {
            mappa->Colors[i] = {img.tavolozza[i].r, img.tavolozza[i].g, img.tavolozza[i].b};
        }
        // giflib masks the indices in place: it gets a copy.
        std::vector<GifPixelType> righe(img.indici.begin(), img.indici.end());
        fatto = EGifPutScreenDesc(gif, img.larghezza, img.altezza, 8, 0, mappa) == GIF_OK &&
                EGifPutImageDesc(gif, 0, 0, img.larghezza, img.altezza, false, nullptr) == GIF_OK &&
                EGifPutLine(gif, righe.data(), static_cast<int>(righe.size())) == GIF_OK;
    }
    GifFreeMapObject(mappa);
    if (EGifCloseFile(gif, &errore) != GIF_OK) fatto = false;
    return fatto ? out : std::vector<unsigned char>{};
}

}  // namespace ftes::test
