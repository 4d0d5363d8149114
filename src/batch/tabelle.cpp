// SPDX-License-Identifier: MIT
#include "batch/tabelle.h"

#include <cstdio>

namespace ftes {

std::string due_cifre(int numero) {
    const std::string testo = std::to_string(numero);
    return testo.size() == 1 ? "0" + testo : testo;
}

std::string testo_iso(std::chrono::year_month_day data) {
    char testo[32];
    std::snprintf(testo, sizeof testo, "%04d-%02u-%02u", static_cast<int>(data.year()),
                  static_cast<unsigned>(data.month()), static_cast<unsigned>(data.day()));
    return testo;
}

Giornata calcola_giorno(std::chrono::year_month_day oggi, int indice_data) {
    using namespace std::chrono;
    const year_month_day data{sys_days{oggi} + days{indice_data}};
    const std::string giorno = due_cifre(static_cast<int>(static_cast<unsigned>(data.day())));
    const std::string mese = due_cifre(static_cast<int>(static_cast<unsigned>(data.month())));
    const std::string anno = std::to_string(static_cast<int>(data.year()));

    const year_month_day capodanno{data.year(), January, day{1}};
    const auto numero = (sys_days{data} - sys_days{capodanno}).count() + 1;
    // "00" in front of one digit, "0" in front of two; three digits stay as they are.
    const std::string cifre = std::to_string(numero);
    return {data, cifre.size() < 3 ? std::string(3 - cifre.size(), '0') + cifre : cifre,
            mese + anno, giorno + "/" + mese + "/" + anno};
}

TabellaGiorni tabella_giorni(std::chrono::year_month_day oggi) {
    TabellaGiorni giorni;
    for (std::size_t slot = 0; slot < giorni.size(); ++slot) {
        giorni[slot] = calcola_giorno(oggi, static_cast<int>(slot) - 5);
    }
    return giorni;
}

}  // namespace ftes
