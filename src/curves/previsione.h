// SPDX-License-Identifier: MIT
// The monthly forecast of ftEs: line 2 of the forecast file holds 24 hourly values in fields of
// five characters (a blank, whole MHz in two characters, the decimal point, tenths).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ftes {

// Entry k (0 to 23) is the forecast for hour k UT in tenths of MHz. A field that yields
// nothing, or a value that does not fit, stays 0.
std::array<std::int16_t, 24> valori_previsione_da_riga(std::string_view riga);

// percorso_base + month key + ".txt"
std::string nome_file_previsione(const std::string& percorso_base,
                                 const std::string& file_previsioni);

}  // namespace ftes
