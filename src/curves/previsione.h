// SPDX-License-Identifier: MIT
// The monthly forecast of ftEs: line 2 of the forecast file holds 24 hourly values in fields of
// five characters (a blank, whole MHz in two characters, the decimal point, tenths).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "canvas/canvas.h"
#include "platform/line_reader.h"

namespace ftes {

using ValoriPrevisione = std::array<std::int16_t, 24>;

// Entry k (0 to 23) is the forecast for hour k UT in tenths of MHz. A field that yields
// nothing, or a value that does not fit, stays 0.
std::array<std::int16_t, 24> valori_previsione_da_riga(std::string_view riga);

// What the forecast file held by the reader says: line 2's values (line 1 is read and ignored; a
// line that is not there leaves the text as it was). Whether the file could be read to the end
// of line 2 is the reader's to tell (failed(), cut_short()).
ValoriPrevisione leggi_previsione(platform::LineReader& file);

// The forecast curve: 24 white dots, one an hour, joined by white lines. Returns the point drawn
// last, in chart units.
struct PuntoPrevisione {
    std::int16_t x = 0, y = 0;
};
PuntoPrevisione disegna_previsione(canvas::Canvas& area, const ValoriPrevisione& valori);

// percorso_base + month key + ".txt"
std::string nome_file_previsione(const std::string& percorso_base,
                                 const std::string& file_previsioni);

}  // namespace ftes
