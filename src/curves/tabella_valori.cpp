// SPDX-License-Identifier: MIT
#include "curves/tabella_valori.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace ftes {

namespace {

// Tenths of a MHz as "12.3", appended. Whole tenths (every value a station writes, every
// forecast) are written digit by digit; anything else as printf writes it.
void aggiungi_decimi(std::string& testo, double valore) {
    if (valore == std::trunc(valore) && std::fabs(valore) < 1e9 && !std::signbit(valore)) {
        const auto decimi = static_cast<long>(valore);
        testo += std::to_string(decimi / 10);
        testo += '.';
        testo += static_cast<char>('0' + decimi % 10);
        return;
    }
    char cifre[32];
    std::snprintf(cifre, sizeof cifre, "%.1f", valore / 10.0);
    testo += cifre;
}

const char* stato(const Sondaggio* s) {
    if (s == nullptr) return "no sounding";
    switch (s->osservazione.tipo) {
        case Osservazione::Tipo::valore:
            return "value";
        case Osservazione::Tipo::nessuno_strato:
            return "no layer";
        case Osservazione::Tipo::non_disponibile:
            break;
    }
    return "not available";
}

// One row: the time as hh:mm, the value, the state, the forecast of its hour; s is null for an
// hour without a sounding.
void aggiungi_riga(std::string& testo, int minuto, const Sondaggio* s,
                   const std::optional<ValoriPrevisione>& previsione) {
    const char ora[] = {
        static_cast<char>('0' + minuto / 600),     static_cast<char>('0' + minuto / 60 % 10), ':',
        static_cast<char>('0' + minuto % 60 / 10), static_cast<char>('0' + minuto % 10),      ','};
    testo.append(ora, sizeof ora);
    if (s != nullptr && s->osservazione.tipo == Osservazione::Tipo::valore) {
        aggiungi_decimi(testo, s->osservazione.valore);
    }
    testo += ',';
    testo += stato(s);
    testo += ',';
    if (previsione) aggiungi_decimi(testo, (*previsione)[static_cast<std::size_t>(minuto / 60)]);
    testo += '\n';
}

}  // namespace

std::string tabella_csv(const std::vector<Sondaggio>& sondaggi,
                        const std::optional<ValoriPrevisione>& previsione, int ore_passate) {
    // Each row with its minute of the day; an hour without a sounding at its start.
    std::vector<std::pair<int, const Sondaggio*>> righe;
    righe.reserve(sondaggi.size() + 24);
    std::array<bool, 24> sondata{};
    for (const Sondaggio& s : sondaggi) {
        const int minuto = std::clamp<int>(s.minuto_giorno, 0, 24 * 60 - 1);
        sondata[static_cast<std::size_t>(minuto / 60)] = true;
        righe.emplace_back(minuto, &s);
    }
    for (int ora = 0; ora < std::clamp(ore_passate, 0, 24); ++ora) {
        if (!sondata[static_cast<std::size_t>(ora)]) righe.emplace_back(ora * 60, nullptr);
    }
    std::stable_sort(righe.begin(), righe.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string testo = "time_ut,ftes_mhz,state,forecast_mhz\n";
    testo.reserve(testo.size() + righe.size() * 32);
    for (const auto& [minuto, s] : righe) aggiungi_riga(testo, minuto, s, previsione);
    return testo;
}

}  // namespace ftes
