// SPDX-License-Identifier: MIT
// The minute table and the day table: the texts from which sounding-file names, forecast-file
// names, archive names and the chart caption are formed.
#pragma once

#include <chrono>
#include <string>

namespace ftes {

// A number of one or two digits written with two digits ("7" becomes "07").
std::string due_cifre(int numero);

// Minute slot k (1 to 60): "01" to "59" for k up to 59, "00" for slot 60.
std::string testo_minuto(int indice_minuto);

// Everything one day slot of the day table holds, with the texts it is formed from.
struct GiornoCalcolato {
    std::string giorno;       // two-digit day of the month
    std::string mese;         // two-digit month
    std::string anno;         // four-digit year
    std::string giorno_anno;  // day of the year, three digits, 001 to 366
    std::string mese_anno;    // month key mmyyyy
    std::string data_estesa;  // display date dd/mm/yyyy
};

// A date as YYYY-MM-DD.
std::string testo_iso(std::chrono::year_month_day data);

// The day that lies indice_data days (negative: before) from oggi, by the calendar.
GiornoCalcolato calcola_giorno(std::chrono::year_month_day oggi, int indice_data);

}  // namespace ftes
