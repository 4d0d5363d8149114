// SPDX-License-Identifier: MIT
#include "batch/tabelle.h"

#include <cstdio>

namespace ftes {

std::string due_cifre(int numero) {
    const std::string testo = std::to_string(numero);
    return testo.size() == 1 ? "0" + testo : testo;
}

std::string testo_minuto(int indice_minuto) {
    return indice_minuto == 60 ? std::string("00") : due_cifre(indice_minuto);
}

std::string testo_iso(std::chrono::year_month_day data) {
    char testo[32];
    std::snprintf(testo, sizeof testo, "%04d-%02u-%02u", static_cast<int>(data.year()),
                  static_cast<unsigned>(data.month()), static_cast<unsigned>(data.day()));
    return testo;
}

GiornoCalcolato calcola_giorno(std::chrono::year_month_day oggi, int indice_data) {
    using namespace std::chrono;
    const year_month_day data{sys_days{oggi} + days{indice_data}};
    GiornoCalcolato g;
    g.giorno = due_cifre(static_cast<int>(static_cast<unsigned>(data.day())));
    g.mese = due_cifre(static_cast<int>(static_cast<unsigned>(data.month())));
    g.anno = std::to_string(static_cast<int>(data.year()));

    const year_month_day primo_gennaio{data.year(), January, day{1}};
    const auto numero = (sys_days{data} - sys_days{primo_gennaio}).count() + 1;
    // "00" in front of one digit, "0" in front of two; three digits stay as they are.
    const std::string cifre = std::to_string(numero);
    g.giorno_anno = cifre.size() < 3 ? std::string(3 - cifre.size(), '0') + cifre : cifre;
    g.mese_anno = g.mese + g.anno;
    g.data_estesa = g.giorno + "/" + g.mese + "/" + g.anno;
    return g;
}

}  // namespace ftes
