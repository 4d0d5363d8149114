// SPDX-License-Identifier: MIT
// Publishing one finished chart: the canvas goes to a temporary BMP, the image component turns
// it into the slot's current GIF and its archive GIF (only the archive GIF in a backfill), and
// the BMP is removed. The first step that fails ends the export; what was published before
// stays as it was. An archive copy is replaced only by a chart at least as full as it.
#include "batch/form1.h"
#include "export/nomi_file.h"
#include "platform/file_system.h"

namespace ftes {

Esportazione Form1::salva_figura(const Giornata& giorno, int indice_giorno, const Disegno& disegno,
                                 const std::string& tabella) {
    Esportazione e;
    const std::string bmp = esportazione::nome_bmp_temporaneo(percorso_base, indice_giorno);
    const auto fallisce = [&](std::string_view passo, const platform::Error& errore) {
        nota("export: " + std::string(passo), errore.path, errore.text);
        e.perche = std::string(passo) + ": " + errore.text;
        return e;
    };

    if (auto scritta = area.capture_bmp(bmp); !scritta) {
        return fallisce("BMP", {bmp, "cannot write: " + scritta.error().text});
    }
    if (auto caricata = wpdlx1.carica_bmp(bmp); !caricata) {
        return fallisce("load BMP", caricata.error());
    }
    if (!esito_.solo_archivio) {
        const std::string corrente =
            esportazione::nome_gif_corrente(percorso_figure, indice_giorno);
        if (auto salvata = wpdlx1.salva_gif(corrente); !salvata) {
            return fallisce("current GIF", salvata.error());
        }
        e.corrente = true;
    }

    const std::string cartella = esportazione::cartella_archivio(percorso_base);
    const std::string archivio =
        esportazione::nome_gif_archivio(percorso_base, giorno.mese_anno, giorno.giorno_anno);
    // A new station often lacks its archive folder; the message says what to do.
    const auto senza_cartella = [&](platform::Error errore) {
        if (const auto c = platform::kind_of_target(cartella); c && *c == platform::Kind::absent) {
            errore.text = "cannot create a file in the target folder (" + errore.text +
                          "); the folder " + cartella + " is missing: create it";
            errore.path = archivio;
        }
        return errore;
    };
    const auto copia = platform::kind_at(archivio);
    if (!copia) {
        return fallisce("archive GIF",
                        {archivio, "cannot tell whether a copy is there: " + copia.error().text});
    }
    if (!indice_) indice_.emplace(cartella);
    const bool presente = *copia == platform::Kind::regular;
    const VoceArchivio* voce = indice_->voce(giorno.data);
    for (const platform::Note& n : indice_->prendi_avvisi()) nota("archive index", n.path, n.text);
    if (!opzioni_.sostituisci) {
        if (auto perche = perche_conservare(presente, voce, disegno)) {
            nota("export: archive GIF", archivio, "kept as it is: " + *perche);
            e.copia = Copia::conservata;
            e.conservata = std::move(*perche);
        }
    }
    if (e.copia != Copia::conservata) {
        // The table of the day's values goes first, and the index names it only once it is in
        // place; one that cannot be written is no reason to keep the chart back, and the table
        // of an earlier copy does not stay to be taken for this one's.
        const std::string csv =
            esportazione::nome_csv_archivio(percorso_base, giorno.mese_anno, giorno.giorno_anno);
        std::string tabella_scritta = csv.substr(cartella.size());
        if (auto scritta = platform::replace_file(csv, tabella, platform::Durability::ordinary);
            !scritta) {
            nota("export: archive table", csv, "cannot write: " + scritta.error().text);
            tabella_scritta.clear();
            (void)platform::remove_file(csv);  // nothing there is as good
        }
        // The index tells of the new copy before the copy is in place: after a stop in between
        // it tells of more than the old copy holds, never of less.
        const VoceArchivio nuova{giorno.data,
                                 archivio.substr(cartella.size()),
                                 platform::local_timestamp(),
                                 disegno.valori,
                                 disegno.assenze,
                                 disegno.illeggibili,
                                 disegno.previsione,
                                 std::move(tabella_scritta)};
        if (auto registrata = indice_->registra(nuova); !registrata) {
            const platform::Error errore = senza_cartella(registrata.error());
            return fallisce(errore.path == archivio ? "archive GIF" : "archive index", errore);
        }
        // The archive is the station's long-term record: it is on the disk before the run goes
        // on.
        auto salvata = wpdlx1.salva_gif(archivio, platform::Durability::flushed);
        if (!salvata) return fallisce("archive GIF", senza_cartella(salvata.error()));
        e.copia = presente && opzioni_.sostituisci ? Copia::sostituita : Copia::scritta;
        if (salvata->not_flushed) {
            nota("export: archive GIF", archivio, salvata->not_flushed->text);
            e.non_sincronizzata = std::move(salvata->not_flushed);
        }
    }

    // The chart is published; what follows only tidies up.
    wpdlx1.chiudi_immagine();
    if (auto tolta = platform::remove_file(bmp); !tolta) {
        nota("export: remove BMP", bmp, tolta.error().text);
    }
    return e;
}

}  // namespace ftes
