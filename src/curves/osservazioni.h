// SPDX-License-Identifier: MIT
// What one sounding file says: line 8, characters 16 to 19, holds "N/A", "NO" or ftEs in MHz.
#pragma once

#include <string_view>

namespace ftes {

struct Osservazione {
    enum class Tipo { non_disponibile, nessuno_strato, valore } tipo;
    double valore = 0;  // tenths of MHz, for Tipo::valore
};

// Reads characters 16 to 19 of a sounding file's line 8. "N/A" and "NO" (blanks around them
// removed, letter case counting) are keywords; anything else is a value: characters 1 and 2 of
// the column without blanks, joined to character 4, read as a number ("12.3" gives 123,
// " 4.5" gives 45). A column without a number, an empty one included, is the value 0.
Osservazione leggi_osservazione(std::string_view riga_otto);

// Position of a minute within its hour in tenths of an hour, 0 to 10; a minute exactly halfway
// goes to the lower tenth.
int scarto_minuto(int minuto);

// A value point at x_punto is linked to the previous one when they lie 2 or 3 tenths of an hour
// apart, as two soundings a quarter of an hour apart always do, and the previous value is not 0.
bool collegamento_dovuto(int x_punto, int x_prec, int valore_prec);

}  // namespace ftes
