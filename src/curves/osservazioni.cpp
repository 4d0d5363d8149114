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

platform::Result<bool> leggi_riga_otto(platform::LineReader& file, std::string& riga) {
    // Lines 1 to 7 are passed over; line 8 holds the value.
    for (int n = 1; n < 8; ++n) {
        auto saltata = file.skip_line();
        if (!saltata || !*saltata) return saltata;
    }
    return file.read_line(riga);
}

OsservazioniGiorno leggi_osservazioni(std::int16_t tipo_stazione, std::string_view percorso_dati,
                                      std::string_view file_previsioni,
                                      std::string_view giorno_anno) {
    OsservazioniGiorno giorno;
    NomiSondaggio nomi(tipo_stazione, percorso_dati, file_previsioni, giorno_anno);
    std::string riga;
    const auto salta = [&](const std::string& nome, std::string testo, bool illeggibile) {
        giorno.saltati.push_back({{nome, std::move(testo) + "; skipped"}, illeggibile});
        giorno.illeggibili += illeggibile;
    };
    for (const OraMinuto quando : ordine_sondaggi()) {
        const std::string& nome = nomi.nome(quando);
        {
            auto aperto = platform::InputFile::open(nome);
            if (!aperto) {
                if (!aperto.error().absent)
                    salta(nome, "cannot open: " + aperto.error().text, true);
                continue;
            }
            platform::LineReader file(std::move(*aperto));
            const auto letta = leggi_riga_otto(file, riga);
            if (!letta) {
                salta(nome, "cannot read: " + letta.error().text, true);
                continue;
            }
            if (!*letta) {
                salta(nome,
                      file.cut_short() ? "no line 8 within its first 4 MiB" : "fewer than 8 lines",
                      false);
                continue;
            }
        }  // at most one sounding file is open at a time

        const Osservazione o = leggi_osservazione(riga);
        giorno.sondaggi.push_back(
            {static_cast<std::int16_t>(quando.ora * 10 + scarto_minuto(quando.minuto)), o,
             static_cast<std::int16_t>(quando.ora * 60 + quando.minuto)});
    }
    return giorno;
}

std::vector<Segno> segni_osservazioni(const std::vector<Sondaggio>& sondaggi) {
    std::vector<Segno> segni;
    std::int16_t x_prec = 0;
    std::int16_t valore_prec = 0;
    for (const Sondaggio& s : sondaggi) {
        const auto x = static_cast<float>(s.x);
        switch (s.osservazione.tipo) {
            case Osservazione::Tipo::non_disponibile:
                continue;
            case Osservazione::Tipo::nessuno_strato:
                segni.push_back({Segno::Tipo::assenza, x, 1, x, 8});
                continue;
            case Osservazione::Tipo::valore:
                break;
        }
        const auto v = static_cast<float>(s.osservazione.valore);
        segni.push_back({Segno::Tipo::punto, x, v, 0, 0});
        if (collegamento_dovuto(s.x, x_prec, valore_prec)) {
            segni.push_back({Segno::Tipo::collegamento, x, v, static_cast<float>(x_prec),
                             static_cast<float>(valore_prec)});
        }
        x_prec = s.x;
        if (const auto intero = intero16(s.osservazione.valore)) valore_prec = *intero;
    }
    return segni;
}

Disegnati disegna_osservazioni(canvas::Canvas& area, const std::vector<Sondaggio>& sondaggi) {
    Disegnati disegnati;
    for (const Segno& s : segni_osservazioni(sondaggi)) {
        switch (s.tipo) {
            case Segno::Tipo::assenza:
                area.draw_line(s.x1, s.y1, s.x2, s.y2, colori::assenza_strato);
                ++disegnati.assenze;
                break;
            case Segno::Tipo::punto:
                // The fill settings are set again before every point.
                area.set_fill_solid(true);
                area.set_fill_colour(colori::osservato);
                area.draw_circle(s.x1, s.y1, colori::raggio_punto, colori::osservato);
                ++disegnati.valori;
                break;
            case Segno::Tipo::collegamento:
                area.draw_line(s.x1, s.y1, s.x2, s.y2, colori::osservato);
                break;
        }
    }
    return disegnati;
}

}  // namespace ftes
