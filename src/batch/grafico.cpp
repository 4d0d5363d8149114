// SPDX-License-Identifier: MIT
// The chart window's drawing operations: the canvas geometry, the chart frame, the station, the
// forecast curve and the day's observed values. Each reads from and draws with what the
// subsystems offer, tells what it skipped and returns what it drew.
#include "batch/form1.h"
#include "canvas/cornice.h"
#include "curves/osservazioni.h"
#include "curves/previsione.h"
#include "curves/stazione.h"
#include "platform/line_reader.h"

namespace ftes {

void Form1::impostazioni_dimensioni_e_scala_del_form() {
    canvas::imposta_dimensioni_e_scala(area);
}

void Form1::disegno_dello_stage() {
    canvas::disegna_cornice(area);
}

void Form1::riconosci_stazione() {
    // Once a run: every chart reads the same folder.
    stazione_ = trova_stazione(percorso_dati);
    // Files that are there and read, but hold no station key: every chart of the run lacks its
    // values. (Files that could not be read are told as such.)
    esito_.senza_stazione =
        stazione_.tipo_stazione == 0 && stazione_.esaminati > 0 && stazione_.illeggibili == 0;
    for (const platform::Note& a : stazione_.avvisi) {
        const bool ultimo = &a == &stazione_.avvisi.back();
        // Why no station was found is why the run's charts lack their values.
        const bool causa = ultimo && (stazione_.illeggibili > 0 || esito_.senza_stazione);
        avvisa(causa ? Avviso::Genere::illeggibile : Avviso::Genere::nota, "station", a.path,
               a.text);
    }
}

Form1::Previsto Form1::grafico_previsione(const std::string& file_previsioni) {
    const std::string percorso = nome_file_previsione(percorso_base, file_previsioni);
    Previsione previsione;
    {
        auto aperto = platform::InputFile::open(percorso);
        if (!aperto) {
            const bool assente = aperto.error().absent;
            avvisa(assente ? Avviso::Genere::nota : Avviso::Genere::illeggibile, "forecast curve",
                   percorso, "cannot open: " + aperto.error().text + "; no forecast drawn");
            return {std::nullopt, assente ? 0 : 1};
        }
        platform::LineReader file(std::move(*aperto));
        const auto letta = leggi_previsione(file);
        if (file.cut_short()) {
            nota("forecast curve", percorso,
                 "longer than 4 MiB before line 2 ends; read up to there");
        }
        if (!letta) {
            // Half a line of values would draw a curve the forecast does not hold.
            avvisa(Avviso::Genere::illeggibile, "forecast curve", percorso,
                   "cannot read: " + letta.error().text + "; no forecast drawn");
            return {std::nullopt, 1};
        }
        previsione = *letta;
    }  // the file is closed before drawing starts
    disegna_previsione(area, previsione.valori);
    return {previsione.valori, 0};
}

Form1::Osservato Form1::grafico_valori_autoscalati(const std::string& file_previsioni,
                                                   const std::string& giorno_anno) {
    // A data folder that cannot be listed is an input of every chart that could not be read.
    Osservato osservato{0, 0, stazione_.illeggibili, {}};
    const std::int16_t tipo_stazione = stazione_.tipo_stazione;
    if (tipo_stazione == 0) return osservato;
    OsservazioniGiorno giorno =
        leggi_osservazioni(tipo_stazione, percorso_dati, file_previsioni, giorno_anno);
    for (const FileSaltato& s : giorno.saltati) {
        avvisa(s.illeggibile ? Avviso::Genere::illeggibile : Avviso::Genere::nota,
               "observed values", s.nota.path, s.nota.text);
    }
    const Disegnati disegnati = disegna_osservazioni(area, giorno.sondaggi);
    osservato.valori = disegnati.valori;
    osservato.assenze = disegnati.assenze;
    osservato.illeggibili += giorno.illeggibili;
    osservato.sondaggi = std::move(giorno.sondaggi);
    return osservato;
}

}  // namespace ftes
