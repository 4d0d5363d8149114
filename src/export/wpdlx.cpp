// SPDX-License-Identifier: MIT
#include "export/wpdlx.h"

#include <utility>

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
    chiudi_immagine();
    // The largest BMP the component takes: max_side squared at 32 bits, plus headers.
    constexpr std::size_t max_bytes = std::size_t{max_side} * max_side * 4 + 4096;
    auto file = platform::read_whole_file(percorso, max_bytes);
    if (!file) return fallito(percorso, "BMP cannot be read", file.error().text);
    // The only BMP a run hands over is the chart canvas's own.
    auto img = leggi_bmp_8(std::move(*file), max_side);
    if (!img) return fallito(percorso, "BMP cannot be read", img.error().text);
    immagine_ = std::move(*img);
    return {};
}

platform::Result<platform::Placed> Wpdlx::salva_gif(const std::string& percorso,
                                                    platform::Durability durata) {
    if (immagine_.indici.empty()) return fallito(percorso, "no picture loaded");
    if (gif_.empty()) {
        auto codificata = codifica_gif(immagine_, compressore_);
        if (!codificata) return fallito(percorso, "GIF encoding failed", codificata.error().text);
        gif_ = std::move(*codificata);
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
