// SPDX-License-Identifier: MIT
#include "curves/tabella_valori.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace ftes {

namespace {

// Tenths of a MHz as "12.3".
std::string decimi(double valore) {
    char testo[32];
    std::snprintf(testo, sizeof testo, "%.1f", valore / 10.0);
    return testo;
}

std::string riga(int minuto, const std::string& valore, const char* stato,
                 const std::optional<ValoriPrevisione>& previsione) {
    const char ora[] = {
        static_cast<char>('0' + minuto / 600),     static_cast<char>('0' + minuto / 60 % 10), ':',
        static_cast<char>('0' + minuto % 60 / 10), static_cast<char>('0' + minuto % 10),      '\0'};
    std::string testo = std::string(ora) + "," + valore + "," + stato + ",";
    if (previsione) testo += decimi((*previsione)[static_cast<std::size_t>(minuto / 60)]);
    return testo + "\n";
}

const char* stato(Osservazione::Tipo tipo) {
    switch (tipo) {
        case Osservazione::Tipo::valore:
            return "value";
        case Osservazione::Tipo::nessuno_strato:
            return "no layer";
        case Osservazione::Tipo::non_disponibile:
            break;
    }
    return "not available";
}

}  // namespace

std::string tabella_csv(const std::vector<Sondaggio>& sondaggi,
                        const std::optional<ValoriPrevisione>& previsione, int ore_passate) {
    // Each row with its minute of the day; an hour without a sounding at its start.
    std::vector<std::pair<int, std::string>> righe;
    std::array<bool, 24> sondata{};
    for (const Sondaggio& s : sondaggi) {
        const int minuto = std::clamp<int>(s.minuto_giorno, 0, 24 * 60 - 1);
        sondata[static_cast<std::size_t>(minuto / 60)] = true;
        const bool valore = s.osservazione.tipo == Osservazione::Tipo::valore;
        righe.emplace_back(minuto, riga(minuto, valore ? decimi(s.osservazione.valore) : "",
                                        stato(s.osservazione.tipo), previsione));
    }
    for (int ora = 0; ora < std::clamp(ore_passate, 0, 24); ++ora) {
        if (!sondata[static_cast<std::size_t>(ora)]) {
            righe.emplace_back(ora * 60, riga(ora * 60, "", "no sounding", previsione));
        }
    }
    std::stable_sort(righe.begin(), righe.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string testo = "time_ut,ftes_mhz,state,forecast_mhz\n";
    for (const auto& r : righe) testo += r.second;
    return testo;
}

}  // namespace ftes
