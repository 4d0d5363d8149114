// SPDX-License-Identifier: MIT
#include "curves/osservazioni.h"

#include <string>

#include "canvas/colori.h"
#include "curves/lettura_numeri.h"
#include "curves/stazione.h"

namespace ftes {

Osservazione leggi_osservazione(std::string_view riga_otto) {
    const std::string_view colonna =
        riga_otto.size() < 16 ? std::string_view{} : riga_otto.substr(15, 4);
    const std::string_view parola = senza_spazi(colonna);
    if (parola == "N/A") return {Osservazione::Tipo::non_disponibile};
    if (parola == "NO") return {Osservazione::Tipo::nessuno_strato};
    std::string testo(senza_spazi(colonna.substr(0, 2)));
    if (colonna.size() >= 4) testo += colonna[3];
    return {Osservazione::Tipo::valore, leggi_numero(testo)};
}

int scarto_minuto(int minuto) {
    return (minuto + 2) / 6;
}

bool collegamento_dovuto(int x_punto, int x_prec, int valore_prec) {
    return (x_punto == x_prec + 2 || x_punto == x_prec + 3) && valore_prec != 0;
}

RigaOtto leggi_riga_otto(platform::LineReader& file, std::string& riga) {
    // Lines 1 to 7 are passed over; line 8 holds the value.
    bool otto = true;
    for (int n = 1; n < 8 && otto; ++n) otto = file.skip_line();
    if (otto) otto = file.read_line(riga);
    // A read that failed may have cut line 8 short: its value is not known.
    if (file.failed()) return RigaOtto::illeggibile;
    return otto ? RigaOtto::letta : RigaOtto::mancante;
}

OsservazioniGiorno leggi_osservazioni(std::int16_t tipo_stazione, std::string_view percorso_dati,
                                      std::string_view file_previsioni,
                                      std::string_view giorno_anno,
                                      const std::array<std::string, 25>& etichette_ore,
                                      const std::array<std::string, 61>& minuti) {
    OsservazioniGiorno giorno;
    NomiSondaggio nomi(tipo_stazione, percorso_dati, file_previsioni, giorno_anno);
    std::string riga;
    const auto salta = [&](const std::string& nome, std::string testo) {
        giorno.avvisi.push_back({nome, std::move(testo) + "; skipped"});
    };
    // Minute 00 is tried last in each hour, after minute 59.
    for (int ora = 0; ora <= 23; ++ora) {
        for (int indice_minuto = 1; indice_minuto <= 60; ++indice_minuto) {
            const std::string& minuto_testo = minuti[static_cast<std::size_t>(indice_minuto)];
            const std::string& nome =
                nomi.nome(etichette_ore[static_cast<std::size_t>(ora)], minuto_testo);
            {
                platform::LineReader file(nome);
                if (!file.is_open()) {
                    if (!file.error().absent) {
                        ++giorno.illeggibili;
                        salta(nome, "cannot open: " + file.error().text);
                    }
                    continue;
                }
                const RigaOtto letta = leggi_riga_otto(file, riga);
                if (letta == RigaOtto::illeggibile) {
                    ++giorno.illeggibili;
                    salta(nome, "cannot read: " + file.error().text);
                    continue;
                }
                if (letta == RigaOtto::mancante) {
                    salta(nome, file.cut_short() ? "no line 8 within its first 4 MiB"
                                                 : "fewer than 8 lines");
                    continue;
                }
            }  // at most one sounding file is open at a time

            const Osservazione o = leggi_osservazione(riga);
            if (o.tipo == Osservazione::Tipo::non_disponibile) continue;
            const int minuto = intero16(leggi_numero(minuto_testo)).value_or(0);
            giorno.sondaggi.push_back({static_cast<std::int16_t>(ora * 10 + scarto_minuto(minuto)),
                                       o, static_cast<std::int16_t>(ora * 60 + minuto)});
        }
    }
    return giorno;
}

Disegnati disegna_osservazioni(canvas::Canvas& area, const std::vector<Sondaggio>& sondaggi) {
    Disegnati disegnati;
    std::int16_t x_prec = 0;
    std::int16_t valore_prec = 0;
    for (const Sondaggio& s : sondaggi) {
        if (s.osservazione.tipo == Osservazione::Tipo::nessuno_strato) {
            area.draw_line(s.x, 1, s.x, 8, colori::assenza_strato);
            ++disegnati.assenze;
            continue;
        }
        const auto v = static_cast<float>(s.osservazione.valore);
        area.set_fill_solid(true);
        area.set_fill_colour(colori::osservato);
        area.draw_circle(s.x, v, colori::raggio_punto, colori::osservato);
        ++disegnati.valori;
        if (collegamento_dovuto(s.x, x_prec, valore_prec)) {
            area.draw_line(s.x, v, x_prec, valore_prec, colori::osservato);
        }
        x_prec = s.x;
        if (const auto intero = intero16(s.osservazione.valore)) valore_prec = *intero;
    }
    return disegnati;
}

}  // namespace ftes
