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
    const auto fallisce = [&](std::string_view passo, const platform::Error& errore) {
        diagnostica.segnala("export: " + std::string(passo), errore.path, errore.text);
        esportazione_fallita = std::string(passo) + ": " + errore.text;
    };

    if (auto scritta = area.capture_bmp(bmp); !scritta) {
        return fallisce("BMP", {bmp, "cannot write: " + scritta.error().text});
    }
    if (auto caricata = wpdlx1.carica_bmp(bmp); !caricata) {
        return fallisce("load BMP", caricata.error());
    }
    if (!solo_archivio) {
        const std::string corrente =
            esportazione::nome_gif_corrente(percorso_figure, indice_giorno);
        if (auto salvata = wpdlx1.salva_gif(corrente); !salvata) {
            return fallisce("current GIF", salvata.error());
        }
        corrente_pubblicata = true;
    }
    const std::string archivio = esportazione::nome_gif_archivio(
        percorso_base, file_previsioni, slot < giorno_anno.size() ? giorno_anno[slot] : "");
    if (conserva_archivio(archivio)) {
        archivio_conservato = true;
    } else if (auto salvata = wpdlx1.salva_gif(archivio, platform::Durability::flushed); !salvata) {
        // The archive is the station's long-term record: it is on the disk before the run goes
        // on. A new station often lacks its folder; the message says what to do.
        platform::Error errore = salvata.error();
        const std::string cartella = esportazione::cartella_archivio(percorso_base);
        if (!platform::folder_exists(cartella)) {
            errore.text += "; the folder " + cartella + " is missing: create it";
        }
        return fallisce("archive GIF", errore);
    }
    ++figure_pubblicate;
    esportazione_fallita.clear();
    ripulisci_archivio();

    // The chart is published; what follows only tidies up.
    if (auto chiusa = wpdlx1.chiudi_immagine(); !chiusa) {
        return diagnostica.segnala("export: close picture", bmp, chiusa.error().text);
    }
    if (auto tolta = platform::remove_file(bmp); !tolta) {
        diagnostica.segnala("export: remove BMP", bmp, tolta.error().text);
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
