// SPDX-License-Identifier: MIT
#include "export/wpdlx.h"

#include <gif_lib.h>

#include <memory>
#include <optional>

#include "export/lettura_bmp.h"
#include "platform/file_system.h"

namespace ftes::esportazione {

namespace {

// The failure of a call about a file: what the component could not do, and the reason below it.
platform::Error fallito(const std::string& percorso, const std::string& cosa,
                        const std::string& perche = {}) {
    return {percorso, perche.empty() ? cosa : cosa + " (" + perche + ")"};
}

}  // namespace

platform::Result<> Wpdlx::carica_bmp(const std::string& percorso) {
    libera();
    // The largest BMP the component takes: max_side squared at 32 bits, plus headers.
    constexpr std::size_t max_bytes = std::size_t{max_side} * max_side * 4 + 4096;
    const auto file = platform::read_whole_file(percorso, max_bytes);
    if (!file) return fallito(percorso, "BMP cannot be read", file.error().text);
    // The only BMP a run hands over is the chart canvas's own.
    auto img = leggi_bmp_8(file->data(), file->size(), max_side);
    if (!img) {
        return fallito(percorso, "BMP cannot be read",
                       "not an uncompressed 8-bit paletted BMP of at most 4096 pixels a side");
    }
    immagine_ = std::move(*img);
    return {};
}

namespace {

int accoda(GifFileType* gif, const GifByteType* dati, int quanti) {
    auto* out = static_cast<std::vector<unsigned char>*>(gif->UserData);
    out->insert(out->end(), dati, dati + quanti);
    return quanti;
}

// Encodes the indexed picture as a GIF held in memory.
bool codifica(ImmagineIndicizzata& img, std::vector<unsigned char>& out) {
    const int w = img.larghezza, h = img.altezza;
    out.clear();
    int errore = 0;
    GifFileType* gif = EGifOpen(&out, accoda, &errore);
    if (gif == nullptr) return false;
    // The colour table of a GIF has a power of two entries; unused ones stay black.
    int dimensione = 2;
    while (dimensione < static_cast<int>(img.tavolozza.size())) dimensione *= 2;
    ColorMapObject* mappa = GifMakeMapObject(dimensione, nullptr);
    bool ok = mappa != nullptr;
    if (ok) {
        for (std::size_t i = 0; i < img.tavolozza.size(); ++i) {
            mappa->Colors[i] = {img.tavolozza[i].r, img.tavolozza[i].g, img.tavolozza[i].b};
        }
        ok = EGifPutScreenDesc(gif, w, h, 8, 0, mappa) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    }
    // giflib takes the rows from the picture itself (it masks each index to the colour table's
    // size, which leaves every one of them as it is).
    if (ok) ok = EGifPutLine(gif, img.indici.data(), w * h) == GIF_OK;
    GifFreeMapObject(mappa);
    return EGifCloseFile(gif, &errore) == GIF_OK && ok;
}

}  // namespace

platform::Result<> Wpdlx::salva_gif(const std::string& percorso, platform::Durability durata) {
    if (immagine_.indici.empty()) return fallito(percorso, "no picture loaded");
    if (gif_.empty() && !codifica(immagine_, gif_)) {
        gif_.clear();
        return fallito(percorso, "GIF encoding failed");
    }
    // Written beside the target and renamed over it once complete.
    platform::ReplacementFile file(percorso, durata);
    const bool aperto = file.is_open();
    if (auto scritto = file.write(gif_.data(), gif_.size()); !scritto) {
        return fallito(
            percorso, aperto ? "cannot write the GIF" : "cannot create a file in the target folder",
            scritto.error().text);
    }
    if (auto fatto = file.commit(); !fatto) {
        return fallito(percorso, "cannot replace the GIF", fatto.error().text);
    }
    return {};
}

void Wpdlx::libera() {
    gif_.clear();
    immagine_ = {};
}

platform::Result<> Wpdlx::chiudi_immagine() {
    libera();
    return {};
}

}  // namespace ftes::esportazione
