// SPDX-License-Identifier: MIT
#include "curves/previsione.h"

#include "canvas/colori.h"
#include "curves/lettura_numeri.h"

namespace ftes {

namespace {
// Characters from..from+count-1 (counted from 1), fewer or none where the line ends earlier.
std::string_view caratteri(std::string_view riga, std::size_t da, std::size_t quanti) {
    if (da > riga.size()) return {};
    return riga.substr(da - 1, quanti);
}
}  // namespace

std::array<std::int16_t, 24> valori_previsione_da_riga(std::string_view riga) {
    std::array<std::int16_t, 24> valori{};
    for (std::size_t k = 1; k <= 24; ++k) {
        // Whole MHz in characters 5k-3 and 5k-2, tenths in character 5k; the point between
        // them is never looked at, the two parts are simply joined.
        std::string testo(senza_spazi(caratteri(riga, 5 * k - 3, 2)));
        testo += caratteri(riga, 5 * k, 1);
        if (const auto v = intero16(leggi_numero(testo))) valori[k - 1] = *v;
    }
    return valori;
}

ValoriPrevisione leggi_previsione(platform::LineReader& file) {
    std::string riga;
    for (int n = 0; n < 2; ++n) {
        if (auto letta = file.next_line()) riga = std::move(*letta);
    }
    return valori_previsione_da_riga(riga);
}

PuntoPrevisione disegna_previsione(canvas::Canvas& area, const ValoriPrevisione& valori) {
    PuntoPrevisione precedente;
    for (std::int16_t k = 1; k <= 24; ++k) {
        const PuntoPrevisione punto{static_cast<std::int16_t>((k - 1) * 10),
                                    valori[static_cast<std::size_t>(k - 1)]};
        area.set_fill_solid(true);
        area.set_fill_colour(colori::previsione);
        area.draw_circle(punto.x, punto.y, colori::raggio_punto, colori::previsione);
        if (k >= 2) {
            area.draw_line(precedente.x, precedente.y, punto.x, punto.y, colori::previsione);
        }
        precedente = punto;
    }
    return precedente;
}

std::string nome_file_previsione(const std::string& percorso_base,
                                 const std::string& file_previsioni) {
    return percorso_base + file_previsioni + ".txt";
}

}  // namespace ftes
