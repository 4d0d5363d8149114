// SPDX-License-Identifier: MIT
// The chart window's drawing operations: the canvas geometry, the chart frame, the forecast
// curve and the day's observed values. Each reads from and draws with what the subsystems
// offer; the window keeps the state and tells what went wrong.
#include "batch/form1.h"
#include "canvas/cornice.h"
#include "curves/osservazioni.h"
#include "curves/previsione.h"
#include "curves/stazione.h"
#include "platform/line_reader.h"

namespace ftes {

void Form1::impostazioni_dimensioni_e_scala_del_form() {
    if (auto impostata = canvas::imposta_dimensioni_e_scala(area); !impostata) {
        diagnostica.segnala("canvas setup", "", impostata.error().text);
    }
}

void Form1::disegno_dello_stage() {
    canvas::disegna_cornice(area);
}

void Form1::grafico_previsione(const std::string& file_previsioni) {
    ValoriPrevisione valori{};
    {
        const std::string percorso = nome_file_previsione(percorso_base, file_previsioni);
        platform::LineReader file(percorso);
        if (!file.is_open()) {
            if (!file.error().absent) ++illeggibili;
            diagnostica.segnala("forecast curve", percorso,
                                "cannot open: " + file.error().text + "; no forecast drawn");
            return;
        }
        valori = leggi_previsione(file);
        if (file.cut_short()) {
            diagnostica.segnala("forecast curve", percorso,
                                "longer than 4 MiB before line 2 ends; read up to there");
        }
        if (file.failed()) {
            // Half a line of values would draw a curve the forecast does not hold.
            ++illeggibili;
            diagnostica.segnala("forecast curve", percorso,
                                "cannot read: " + file.error().text + "; no forecast drawn");
            return;
        }
    }  // the file is closed before drawing starts
    previsione_disegnata = true;
    const PuntoPrevisione ultimo = disegna_previsione(area, valori);
    x_precedente = ultimo.x;
    y_precedente = ultimo.y;
}

std::int16_t Form1::riconosci_stazione() {
    const StazioneTrovata stazione = trova_stazione(percorso_dati);
    for (const platform::Error& a : stazione.avvisi) diagnostica.segnala("station", a.path, a.text);
    illeggibili += stazione.illeggibili;
    if (stazione.tipo != 0) {
        const auto etichette = etichette_per_tipo(stazione.tipo);
        std::copy(etichette.begin(), etichette.end(), etichette_ore.begin());
    }
    return stazione.tipo;
}

void Form1::grafico_valori_autoscalati(const std::string& file_previsioni) {
    const std::int16_t tipo_stazione = riconosci_stazione();
    if (tipo_stazione == 0) return;
    OsservazioniGiorno giorno = leggi_osservazioni(
        tipo_stazione, percorso_dati, file_previsioni,
        giorno_anno.at(static_cast<std::size_t>(indice_giorno)), etichette_ore, minuti);
    for (const platform::Error& a : giorno.avvisi) {
        diagnostica.segnala("observed values", a.path, a.text);
    }
    illeggibili += giorno.illeggibili;
    const Disegnati disegnati = disegna_osservazioni(area, giorno.sondaggi);
    valori_disegnati += disegnati.valori;
    assenze_disegnate += disegnati.assenze;
    sondaggi_disegnati = std::move(giorno.sondaggi);
}

}  // namespace ftes
