// SPDX-License-Identifier: MIT
#include "export/wpdlx.h"

#include <gif_lib.h>

#include "export/lettura_bmp.h"
#include "platform/file_system.h"

namespace ftes::esportazione {

namespace {

// The failure of a call about a file: what the component could not do, and the reason below it.
platform::Error fallito(const std::string& percorso, const std::string& cosa,
                        const std::string& perche = {}) {
    return {percorso, perche.empty() ? cosa : cosa + " (" + perche + ")"};
}

int accoda(GifFileType* gif, const GifByteType* dati, int quanti) {
    auto* out = static_cast<std::vector<unsigned char>*>(gif->UserData);
    out->insert(out->end(), dati, dati + quanti);
    return quanti;
}

// giflib's words for its error code.
std::string parole_giflib(int codice) {
    const char* testo = GifErrorString(codice);
    return testo != nullptr ? testo : "giflib error " + std::to_string(codice);
}

// Encodes the indexed picture as a GIF held in memory, or says giflib's reason why not.
platform::Result<> codifica(ImmagineIndicizzata& img, std::vector<unsigned char>& out) {
    const int w = img.larghezza, h = img.altezza;
    out.clear();
    int errore = 0;
    GifFileType* gif = EGifOpen(&out, accoda, &errore);
    if (gif == nullptr) return platform::Error{{}, parole_giflib(errore)};
    // The colour table of a GIF has a power of two entries; unused ones stay black.
    int dimensione = 2;
    while (dimensione < static_cast<int>(img.tavolozza.size())) dimensione *= 2;
    ColorMapObject* mappa = GifMakeMapObject(dimensione, nullptr);
    int codice = mappa == nullptr ? E_GIF_ERR_NOT_ENOUGH_MEM : 0;
    if (codice == 0) {
        for (std::size_t i = 0; i < img.tavolozza.size(); ++i) {
            mappa->Colors[i] = {img.tavolozza[i].r, img.tavolozza[i].g, img.tavolozza[i].b};
        }
        if (EGifPutScreenDesc(gif, w, h, 8, 0, mappa) != GIF_OK ||
            EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) != GIF_OK ||
            // giflib takes the rows from the picture itself (it masks each index to the colour
            // table's size, which leaves every one of them as it is).
            EGifPutLine(gif, img.indici.data(), w * h) != GIF_OK) {
            codice = gif->Error;
        }
    }
    GifFreeMapObject(mappa);
    if (EGifCloseFile(gif, &errore) != GIF_OK && codice == 0) codice = errore;
    if (codice != 0) return platform::Error{{}, parole_giflib(codice)};
    return {};
}

}  // namespace

platform::Result<> Wpdlx::carica_bmp(const std::string& percorso) {
    chiudi_immagine();
    // The largest BMP the component takes: max_side squared at 32 bits, plus headers.
    constexpr std::size_t max_bytes = std::size_t{max_side} * max_side * 4 + 4096;
    const auto file = platform::read_whole_file(percorso, max_bytes);
    if (!file) return fallito(percorso, "BMP cannot be read", file.error().text);
    // The only BMP a run hands over is the chart canvas's own.
    auto img = leggi_bmp_8(file->data(), file->size(), max_side);
    if (!img) return fallito(percorso, "BMP cannot be read", img.error().text);
    immagine_ = std::move(*img);
    return {};
}

platform::Result<platform::Placed> Wpdlx::salva_gif(const std::string& percorso,
                                                    platform::Durability durata) {
    if (immagine_.indici.empty()) return fallito(percorso, "no picture loaded");
    if (gif_.empty()) {
        if (auto codificata = codifica(immagine_, gif_); !codificata) {
            gif_.clear();
            return fallito(percorso, "GIF encoding failed", codificata.error().text);
        }
    }
    // Written beside the target and renamed over it once complete.
    auto file = platform::ReplacementFile::create(percorso, durata);
    if (!file) {
        return fallito(percorso, "cannot create a file in the target folder", file.error().text);
    }
    if (auto scritto = file->write(gif_.data(), gif_.size()); !scritto) {
        return fallito(percorso, "cannot write the GIF", scritto.error().text);
    }
    auto fatto = file->commit();
    if (!fatto) return fallito(percorso, "cannot replace the GIF", fatto.error().text);
    return fatto;
}

void Wpdlx::chiudi_immagine() {
    gif_.clear();
    immagine_ = {};
}

}  // namespace ftes::esportazione
