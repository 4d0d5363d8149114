#include "export/wpdlx.h"

#include <gif_lib.h>
#include <stb_image.h>

#include <memory>
#include <optional>

#include "export/lettura_bmp.h"
#include "export/tavolozza.h"
#include "platform/file_system.h"

namespace ftes::esportazione {

std::string_view descrizione(ErroreImmagine errore) {
    switch (errore) {
        case ErroreImmagine::nessuno:
            return "no error";
        case ErroreImmagine::bmp_illeggibile:
            return "BMP cannot be read";
        case ErroreImmagine::bmp_troppo_grande:
            return "BMP too large";
        case ErroreImmagine::nessuna_immagine:
            return "no picture loaded";
        case ErroreImmagine::file_temporaneo:
            return "cannot create a file in the target folder";
        case ErroreImmagine::codifica_gif:
            return "GIF encoding failed";
        case ErroreImmagine::scrittura_gif:
            return "cannot write the GIF";
        case ErroreImmagine::sostituzione:
            return "cannot replace the GIF";
    }
    return "unknown error";
}

bool Wpdlx::fallito(ErroreImmagine e, const std::string& dettaglio) {
    errore_ = e;
    messaggio_ = std::string(descrizione(e));
    if (!dettaglio.empty()) messaggio_ += " (" + dettaglio + ")";
    return false;
}

namespace {

bool entro_i_limiti(int w, int h) {
    return w > 0 && h > 0 && w <= Wpdlx::max_side && h <= Wpdlx::max_side;
}

// A BMP that is not the canvas's own, through the general decoder; the reason of a failure is
// left in stbi_failure_reason().
std::optional<ImmagineIndicizzata> decodifica_generale(const std::vector<unsigned char>& file) {
    const int lunghezza = static_cast<int>(file.size());
    int w = 0, h = 0, canali = 0;
    // The header first, so that a picture too large is refused before it is allocated.
    if (stbi_info_from_memory(file.data(), lunghezza, &w, &h, &canali) == 0) return std::nullopt;
    if (!entro_i_limiti(w, h)) return ImmagineIndicizzata{w, h, {}, {}};
    std::unique_ptr<stbi_uc, void (*)(void*)> dati(
        stbi_load_from_memory(file.data(), lunghezza, &w, &h, &canali, 3), stbi_image_free);
    if (!dati) return std::nullopt;
    return indicizza(dati.get(), w, h);
}

}  // namespace

bool Wpdlx::carica_bmp(const std::string& percorso) {
    libera();
    // The largest BMP the component takes: max_side squared at 32 bits, plus headers.
    constexpr std::size_t max_bytes = std::size_t{max_side} * max_side * 4 + 4096;
    const auto file = platform::read_whole_file(percorso, max_bytes);
    if (!file) return fallito(ErroreImmagine::bmp_illeggibile, "cannot read the file");
    // Only BMP files reach the decoders.
    if (file->size() < 2 || (*file)[0] != 'B' || (*file)[1] != 'M') {
        return fallito(ErroreImmagine::bmp_illeggibile, "not a BMP file");
    }
    auto img = leggi_bmp_8(file->data(), file->size(), max_side);
    if (!img) img = decodifica_generale(*file);
    if (!img) return fallito(ErroreImmagine::bmp_illeggibile, stbi_failure_reason());
    if (!entro_i_limiti(img->larghezza, img->altezza)) {
        return fallito(ErroreImmagine::bmp_troppo_grande);
    }
    immagine_ = std::move(*img);
    errore_ = ErroreImmagine::nessuno;
    return true;
}

namespace {

// Rows in the order an interlaced GIF stores them: every 8th from 0, every 8th from 4, every
// 4th from 2, every 2nd from 1.
std::vector<int> ordine_righe(int altezza, bool interlacciata) {
    std::vector<int> righe;
    righe.reserve(static_cast<std::size_t>(altezza));
    if (!interlacciata) {
        for (int r = 0; r < altezza; ++r) righe.push_back(r);
        return righe;
    }
    constexpr int inizio[] = {0, 4, 2, 1}, passo[] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p) {
        for (int r = inizio[p]; r < altezza; r += passo[p]) righe.push_back(r);
    }
    return righe;
}

int accoda(GifFileType* gif, const GifByteType* dati, int quanti) {
    auto* out = static_cast<std::vector<unsigned char>*>(gif->UserData);
    out->insert(out->end(), dati, dati + quanti);
    return quanti;
}

// Encodes the indexed picture as a GIF held in memory.
bool codifica(ImmagineIndicizzata& img, bool interlacciata, std::vector<unsigned char>& out) {
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
             EGifPutImageDesc(gif, 0, 0, w, h, interlacciata, nullptr) == GIF_OK;
    }
    // giflib takes the rows from the picture itself (it masks each index to the colour table's
    // size, which leaves every one of them as it is).
    if (ok && !interlacciata) {
        ok = EGifPutLine(gif, img.indici.data(), w * h) == GIF_OK;
    } else {
        for (const int r : ordine_righe(h, interlacciata)) {
            if (!ok) break;
            ok = EGifPutLine(gif, img.indici.data() + static_cast<std::size_t>(r) * w, w) == GIF_OK;
        }
    }
    GifFreeMapObject(mappa);
    return EGifCloseFile(gif, &errore) == GIF_OK && ok;
}

}  // namespace

bool Wpdlx::salva_gif(const std::string& percorso, bool interlacciata,
                      platform::Durability durata) {
    if (immagine_.indici.empty()) return fallito(ErroreImmagine::nessuna_immagine);
    if (gif_.empty() || gif_interlacciata_ != interlacciata) {
        if (!codifica(immagine_, interlacciata, gif_)) {
            gif_.clear();
            return fallito(ErroreImmagine::codifica_gif);
        }
        gif_interlacciata_ = interlacciata;
    }
    // Written beside the target and renamed over it once complete.
    platform::ReplacementFile file(percorso, durata);
    if (!file.is_open()) return fallito(ErroreImmagine::file_temporaneo, file.error());
    if (!file.write(gif_.data(), gif_.size())) {
        return fallito(ErroreImmagine::scrittura_gif, file.error());
    }
    if (!file.commit()) return fallito(ErroreImmagine::sostituzione, file.error());
    errore_ = ErroreImmagine::nessuno;
    return true;
}

void Wpdlx::libera() {
    gif_.clear();
    immagine_ = {};
}

bool Wpdlx::chiudi_immagine() {
    libera();
    return true;
}

}  // namespace ftes::esportazione
