// SPDX-License-Identifier: MIT
// The day table: the texts from which forecast-file names, sounding-file names, archive names
// and the chart caption of each charted day are formed.
#pragma once

#include <array>
#include <chrono>
#include <string>

namespace ftes {

// A number of one or two digits written with two digits ("7" becomes "07").
std::string due_cifre(int numero);

// One charted day, made once: its date and the texts formed from it.
struct Giornata {
    std::chrono::year_month_day data;
    std::string giorno_anno;  // day of the year, three digits, 001 to 366
    std::string mese_anno;    // month key mmyyyy, the stem of the forecast file's name
    std::string data_estesa;  // display date dd/mm/yyyy, the caption's
};

// The day that lies indice_data days (negative: before) from oggi, by the calendar.
Giornata calcola_giorno(std::chrono::year_month_day oggi, int indice_data);

// The six days of a daily run, oldest first: slot 1 (index 0) is five days before oggi, slot 6
// (index 5) is oggi.
using TabellaGiorni = std::array<Giornata, 6>;
TabellaGiorni tabella_giorni(std::chrono::year_month_day oggi);

// A date as YYYY-MM-DD.
std::string testo_iso(std::chrono::year_month_day data);

}  // namespace ftes
