// SPDX-License-Identifier: MIT
// The fixed part of every chart: frame, grid, tick labels and axis titles.
#pragma once

#include <array>
#include <string_view>

#include "canvas/canvas.h"

namespace ftes::canvas {

// One drawing step of the chart frame, in chart units: a line from (x1, y1) to (x2, y2) in a
// colour, or a text whose upper-left corner is at (x1, y1).
struct PassoCornice {
    enum class Tipo { linea, testo } tipo;
    float x1, y1, x2, y2;
    Rgb colore;
    std::string_view testo;
};

void disegna_cornice(Canvas& area);

// The chart's margins around the plot range (0..240 across, 0..190 up), in chart units.
struct Margini {
    int sup, inf, dx, sx;
};
inline constexpr Margini margini{25, 45, 10, 35};

// Sizes the canvas for the chart (286 x 231 pixels inside a 292 x 256 window) and maps the plot
// range with its margins onto it.
void imposta_dimensioni_e_scala(Canvas& area);

}  // namespace ftes::canvas
