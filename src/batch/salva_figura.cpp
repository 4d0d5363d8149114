// SPDX-License-Identifier: MIT
// Publishing one finished chart: the canvas goes to a temporary BMP, the image component turns
// it into the slot's current GIF and its archive GIF (only the archive GIF in a backfill), and
// the BMP is removed. The first step that fails ends the export; what was published before
// stays as it was.
#include "batch/form1.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"

namespace ftes {

void Form1::salva_figura(const std::string& file_previsioni) {
    const auto slot = static_cast<std::size_t>(indice_giorno);
    const std::string bmp = esportazione::nome_bmp_temporaneo(percorso_base, indice_giorno);
    const auto fallisce = [&](std::string_view passo, const std::string& percorso,
                              std::string_view motivo) {
        diagnostica.segnala("export: " + std::string(passo), percorso, motivo);
        esportazione_fallita = std::string(passo) + ": " + std::string(motivo);
    };

    if (const std::string motivo = area.capture_bmp(bmp); !motivo.empty()) {
        return fallisce("BMP", bmp, "cannot write: " + motivo);
    }
    if (!wpdlx1.carica_bmp(bmp)) return fallisce("load BMP", bmp, wpdlx1.messaggio());

    if (!solo_archivio) {
        const std::string corrente =
            esportazione::nome_gif_corrente(percorso_figure, indice_giorno);
        if (!wpdlx1.salva_gif(corrente)) {
            return fallisce("current GIF", corrente, wpdlx1.messaggio());
        }
        corrente_pubblicata = true;
    }
    const std::string archivio = esportazione::nome_gif_archivio(
        percorso_base, file_previsioni, slot < giorno_anno.size() ? giorno_anno[slot] : "");
    if (conserva_archivio(archivio)) {
        archivio_conservato = true;
    } else if (!wpdlx1.salva_gif(archivio, platform::Durability::flushed)) {
        // The archive is the station's long-term record: it is on the disk before the run goes
        // on. A new station often lacks its folder; the message says what to do.
        const std::string cartella = esportazione::cartella_archivio(percorso_base);
        std::string motivo = wpdlx1.messaggio();
        if (!platform::folder_exists(cartella)) {
            motivo += "; the folder " + cartella + " is missing: create it";
        }
        return fallisce("archive GIF", archivio, motivo);
    }
    ++figure_pubblicate;
    esportazione_fallita.clear();
    ripulisci_archivio();

    // The chart is published; what follows only tidies up.
    if (!wpdlx1.chiudi_immagine()) {
        return diagnostica.segnala("export: close picture", bmp, "failed");
    }
    if (!platform::remove_file(bmp)) {
        diagnostica.segnala("export: remove BMP", bmp, platform::last_error_text());
    }
}

bool Form1::conserva_archivio(const std::string& archivio) {
    // A backfill is the operator's own redraw: it replaces what it is asked to.
    if (solo_archivio) return false;
    const bool vuota = valori_disegnati == 0 && assenze_disegnate == 0;
    if ((!vuota && illeggibili == 0) || !platform::regular_file_exists(archivio)) return false;
    diagnostica.segnala("export: archive GIF", archivio,
                        illeggibili > 0 ? "kept as it is: " + std::to_string(illeggibili) +
                                              (illeggibili == 1 ? " input file" : " input files") +
                                              " of this day could not be read"
                                        : "kept as it is: this chart shows no observation");
    return true;
}

void Form1::ripulisci_archivio() {
    if (archivio_ripulito_) return;
    archivio_ripulito_ = true;
    const int tolti = platform::remove_left_temporaries(
        esportazione::cartella_archivio(percorso_base), esportazione::e_temporaneo_archivio);
    if (tolti > 0) {
        diagnostica.segnala(
            "export: archive folder", esportazione::cartella_archivio(percorso_base),
            std::to_string(tolti) + (tolti == 1 ? " temporary file" : " temporary files") +
                " left by a stopped run removed");
    }
}

}  // namespace ftes
