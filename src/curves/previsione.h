// SPDX-License-Identifier: MIT
// The monthly forecast of ftEs: line 2 of the forecast file holds 24 hourly values in fields of
// five characters (a blank, whole MHz in two characters, the decimal point, tenths).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/canvas.h"
#include "platform/line_reader.h"

namespace ftes {

using ValoriPrevisione = std::array<std::int16_t, 24>;

// Entry k (0 to 23) is the forecast for hour k UT in tenths of MHz. A field that yields
// nothing, or a value that does not fit, stays 0.
ValoriPrevisione valori_previsione_da_riga(std::string_view riga);

// Whether a line 2 is exactly the fixed format: 24 fields of a blank, whole MHz in two
// characters (the first may be a blank), the decimal point and the tenths digit.
bool formato_previsione(std::string_view riga);

// What a forecast file says: line 2's values (line 1 is read and ignored; a line that is not
// there counts as empty), and whether line 2 is in the fixed format.
struct Previsione {
    ValoriPrevisione valori{};
    bool formato_fisso = false;
};
// The forecast file held by the reader, or why it could not be read to the end of line 2 (half
// a line of values would draw a curve the forecast does not hold).
platform::Result<Previsione> leggi_previsione(platform::LineReader& file);

// The forecast curve as it is drawn, in chart units: 24 white dots, one an hour, and after each
// dot but the first the line from the dot before to it.
struct SegnoPrevisione {
    enum class Tipo { punto, linea } tipo;
    float x1, y1, x2, y2;  // a dot: its centre (x1, y1); a line: from (x1, y1) to (x2, y2)
    bool operator==(const SegnoPrevisione&) const = default;
};
std::vector<SegnoPrevisione> segni_previsione(const ValoriPrevisione& valori);
void disegna_previsione(canvas::Canvas& area, const ValoriPrevisione& valori);

// percorso_base + month key + ".txt"
std::string nome_file_previsione(const std::string& percorso_base,
                                 const std::string& file_previsioni);

}  // namespace ftes
