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

bool cifra(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

ValoriPrevisione valori_previsione_da_riga(std::string_view riga) {
    ValoriPrevisione valori{};
    for (std::size_t k = 1; k <= 24; ++k) {
        // Whole MHz in characters 5k-3 and 5k-2, tenths in character 5k; the point between
        // them is never looked at, the two parts are simply joined.
        std::string testo(senza_spazi(caratteri(riga, 5 * k - 3, 2)));
        testo += caratteri(riga, 5 * k, 1);
        if (const auto v = intero16(leggi_numero(testo))) valori[k - 1] = *v;
    }
    return valori;
}

bool formato_previsione(std::string_view riga) {
    if (riga.size() < 120) return false;
    for (std::size_t k = 0; k < 24; ++k) {
        const char* f = riga.data() + 5 * k;
        if (f[0] != ' ' || !(f[1] == ' ' || cifra(f[1])) || !cifra(f[2]) || f[3] != '.' ||
            !cifra(f[4])) {
            return false;
        }
    }
    return true;
}

platform::Result<Previsione> leggi_previsione(platform::LineReader& file) {
    // A line that is not there leaves the text as it was: a file of one line is read as its
    // line 1, an empty one as an empty line.
    std::string riga, letta_ora;
    for (int n = 0; n < 2; ++n) {
        const auto letta = file.read_line(letta_ora);
        if (!letta) return letta.error();
        if (!*letta) break;
        riga.swap(letta_ora);
    }
    return Previsione{valori_previsione_da_riga(riga), formato_previsione(riga)};
}

std::vector<SegnoPrevisione> segni_previsione(const ValoriPrevisione& valori) {
    std::vector<SegnoPrevisione> segni;
    float x_precedente = 0, y_precedente = 0;
    for (std::size_t k = 0; k < valori.size(); ++k) {
        const auto x = static_cast<float>(k * 10);
        const auto y = static_cast<float>(valori[k]);
        segni.push_back({SegnoPrevisione::Tipo::punto, x, y, 0, 0});
        if (k > 0)
            segni.push_back({SegnoPrevisione::Tipo::linea, x_precedente, y_precedente, x, y});
        x_precedente = x;
        y_precedente = y;
    }
    return segni;
}

void disegna_previsione(canvas::Canvas& area, const ValoriPrevisione& valori) {
    for (const SegnoPrevisione& s : segni_previsione(valori)) {
        if (s.tipo == SegnoPrevisione::Tipo::linea) {
            area.draw_line(s.x1, s.y1, s.x2, s.y2, colori::previsione);
            continue;
        }
        area.set_fill_solid(true);
        area.set_fill_colour(colori::previsione);
        area.draw_circle(s.x1, s.y1, colori::raggio_punto, colori::previsione);
    }
}

std::string nome_file_previsione(const std::string& percorso_base,
                                 const std::string& file_previsioni) {
    return percorso_base + file_previsioni + ".txt";
}

}  // namespace ftes
