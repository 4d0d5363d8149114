// SPDX-License-Identifier: MIT
// The chart window's curve operations: the forecast curve, station recognition and the
// observed ftEs of the day.
#include <optional>

#include "batch/form1.h"
#include "canvas/colori.h"
#include "curves/lettura_numeri.h"
#include "curves/osservazioni.h"
#include "curves/previsione.h"
#include "curves/stazione.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"

namespace ftes {

namespace {
constexpr float raggio_punto = 2;  // chart units
}

void Form1::grafico_previsione(const std::string& file_previsioni) {
    std::array<std::int16_t, 24> valori_previsione{};
    {
        const std::string percorso = nome_file_previsione(percorso_base, file_previsioni);
        platform::LineReader file(percorso);
        if (!file.is_open()) {
            if (file.failure() != platform::OpenFailure::missing) ++illeggibili;
            diagnostica.segnala("forecast curve", percorso,
                                "cannot open: " + file.error() + "; no forecast drawn");
            return;
        }
        // Line 1 is read and ignored; a line that is not there leaves the text as it was.
        std::string riga;
        for (int n = 0; n < 2; ++n) {
            if (auto letta = file.next_line()) riga = std::move(*letta);
        }
        if (file.failed()) {
            // Half a line of values would draw a curve the forecast does not hold.
            ++illeggibili;
            diagnostica.segnala("forecast curve", percorso,
                                "cannot read: " + file.error() + "; no forecast drawn");
            return;
        }
        if (file.cut_short()) {
            diagnostica.segnala("forecast curve", percorso,
                                "longer than 4 MiB before line 2 ends; read up to there");
        }
        valori_previsione = valori_previsione_da_riga(riga);
    }  // the file is closed before drawing starts
    previsione_disegnata = true;

    x_precedente = 0;
    y_precedente = 0;
    for (std::int16_t k = 1; k <= 24; ++k) {
        const auto x = static_cast<std::int16_t>((k - 1) * 10);
        const std::int16_t y = valori_previsione[static_cast<std::size_t>(k - 1)];
        area.set_fill_solid(true);
        area.set_fill_colour(colori::previsione);
        area.draw_circle(x, y, raggio_punto, colori::previsione);
        if (k >= 2) area.draw_line(x_precedente, y_precedente, x, y, colori::previsione);
        x_precedente = x;
        y_precedente = y;
    }
}

std::int16_t Form1::riconosci_stazione() {
    const std::string cartella = percorso_dati.empty() ? "." : percorso_dati;
    platform::FolderListing elenco(percorso_dati);
    if (!elenco.is_open()) {
        ++illeggibili;
        diagnostica.segnala("station", cartella,
                            "cannot list: " + elenco.error() + "; no observed values drawn");
        return 0;
    }
    // Files that could not be read are told at once, and counted only when no station is found:
    // any file of the station tells the same kind.
    int esaminati = 0, non_letti = 0;
    std::string prima_riga;
    while (esaminati < max_file_riconoscimento) {
        const auto nome = elenco.next_regular_file();
        if (!nome) break;
        ++esaminati;
        const std::string percorso = percorso_dati + *nome;
        platform::LineReader file(percorso, max_byte_riconoscimento);
        const bool letta = file.read_line(prima_riga);
        if (!file.is_open() || file.failed()) {
            non_letti += file.failure() != platform::OpenFailure::missing;
            diagnostica.segnala("station", percorso,
                                std::string(file.is_open() ? "cannot read: " : "cannot open: ") +
                                    file.error() + "; skipped");
            continue;
        }
        if (!letta) prima_riga.clear();
        if (const std::int16_t tipo = tipo_da_chiave(prima_riga); tipo != 0) {
            const auto etichette = etichette_per_tipo(tipo);
            std::copy(etichette.begin(), etichette.end(), etichette_ore.begin());
            return tipo;
        }
        diagnostica.segnala(
            "station", percorso,
            "first line \"" + prima_riga.substr(0, 40) + "\" holds no station key; skipped");
    }
    if (!elenco.error().empty()) {
        ++non_letti;
        diagnostica.segnala("station", cartella, "cannot list: " + elenco.error());
    }
    illeggibili += non_letti;
    const std::string motivo =
        esaminati == 0 ? std::string("no file in the data folder")
        : esaminati < max_file_riconoscimento
            ? "no file of the data folder holds a station key in its first line"
            : "none of its first " + std::to_string(esaminati) +
                  " files holds a station key in its first line";
    diagnostica.segnala("station", cartella, motivo + "; no observed values drawn");
    return 0;
}

std::string Form1::nome_file_sondaggio(std::int16_t tipo_stazione,
                                       const std::string& file_previsioni, int ora,
                                       int indice_minuto) const {
    return nome_sondaggio(tipo_stazione, {percorso_dati, file_previsioni,
                                          giorno_anno.at(static_cast<std::size_t>(indice_giorno)),
                                          etichette_ore.at(static_cast<std::size_t>(ora)),
                                          minuti.at(static_cast<std::size_t>(indice_minuto))});
}

void Form1::grafico_valori_autoscalati(const std::string& file_previsioni) {
    const std::int16_t tipo_stazione = riconosci_stazione();
    if (tipo_stazione == 0) return;
    std::int16_t x_prec = 0;
    std::int16_t valore_prec = 0;
    // The names of the day's soundings, formed in one room as the loop goes; the same names
    // nome_file_sondaggio gives.
    NomiSondaggio nomi(tipo_stazione, percorso_dati, file_previsioni,
                       giorno_anno.at(static_cast<std::size_t>(indice_giorno)));
    std::string riga;

    // Minute 00 is tried last in each hour, after minute 59.
    for (int ora = 0; ora <= 23; ++ora) {
        for (int indice_minuto = 1; indice_minuto <= 60; ++indice_minuto) {
            const std::string& nome = nomi.nome(etichette_ore[static_cast<std::size_t>(ora)],
                                                minuti[static_cast<std::size_t>(indice_minuto)]);
            {
                platform::LineReader file(nome);
                if (!file.is_open()) {
                    if (file.failure() != platform::OpenFailure::missing) {
                        ++illeggibili;
                        diagnostica.segnala("observed values", nome,
                                            "cannot open: " + file.error() + "; skipped");
                    }
                    continue;
                }
                // Lines 1 to 7 are passed over; line 8 holds the value.
                bool otto = true;
                for (int n = 1; n < 8 && otto; ++n) otto = file.skip_line();
                if (otto) otto = file.read_line(riga);
                if (file.failed()) {
                    // Line 8 may be missing or cut: the value is not known.
                    ++illeggibili;
                    diagnostica.segnala("observed values", nome,
                                        "cannot read: " + file.error() + "; skipped");
                    continue;
                }
                if (!otto) {
                    diagnostica.segnala("observed values", nome,
                                        file.cut_short()
                                            ? "no line 8 within its first 4 MiB; skipped"
                                            : "fewer than 8 lines; skipped");
                    continue;
                }
            }  // at most one sounding file is open at a time

            const Osservazione o = leggi_osservazione(riga);
            if (o.tipo == Osservazione::Tipo::non_disponibile) continue;
            const int minuto =
                intero16(leggi_numero(minuti[static_cast<std::size_t>(indice_minuto)])).value_or(0);
            const auto x_punto = static_cast<std::int16_t>(ora * 10 + scarto_minuto(minuto));
            if (o.tipo == Osservazione::Tipo::nessuno_strato) {
                area.draw_line(x_punto, 1, x_punto, 8, colori::assenza_strato);
                ++assenze_disegnate;
                continue;
            }
            const auto v = static_cast<float>(o.valore);
            area.set_fill_solid(true);
            area.set_fill_colour(colori::osservato);
            area.draw_circle(x_punto, v, raggio_punto, colori::osservato);
            ++valori_disegnati;
            if (collegamento_dovuto(x_punto, x_prec, valore_prec)) {
                area.draw_line(x_punto, v, x_prec, valore_prec, colori::osservato);
            }
            x_prec = x_punto;
            if (const auto intero = intero16(o.valore)) valore_prec = *intero;
        }
    }
}

}  // namespace ftes
