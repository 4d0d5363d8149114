// SPDX-License-Identifier: MIT
#include "canvas/cornice.h"

#include "canvas/colori.h"

namespace ftes::canvas {

namespace {

constexpr PassoCornice linea(float x1, float y1, float x2, float y2, Rgb colore) {
    return {PassoCornice::Tipo::linea, x1, y1, x2, y2, colore, {}};
}
constexpr PassoCornice testo(float x, float y, std::string_view t) {
    return {PassoCornice::Tipo::testo, x, y, 0, 0, colori::testo, t};
}

// The frame encloses x 0..241 and y 0..191; vertical grid lines at 5, 10, 15 and 20 h UT,
// horizontal ones at 5, 10 and 15 MHz; labels left of and below the frame.
// clang-format off
constexpr std::array<PassoCornice, 23> passi{{
    linea(0, 0, 242, 0, colori::cornice),        // frame, bottom edge
    linea(0, 191, 0, 0, colori::cornice),        // frame, left edge
    linea(0, 191, 242, 191, colori::cornice),    // frame, top edge
    linea(241, 191, 241, 0, colori::cornice),    // frame, right edge
    linea(50, 189, 50, 0, colori::griglia),      // grid, 05 UT
    testo(47, -5, "5"),                          //
    linea(100, 189, 100, 0, colori::griglia),    // grid, 10 UT
    testo(93, -5, "10"),                         //
    linea(150, 189, 150, 0, colori::griglia),    // grid, 15 UT
    testo(143, -5, "15"),                        //
    linea(200, 189, 200, 0, colori::griglia),    // grid, 20 UT
    testo(193, -5, "20"),                        //
    testo(100, -20, "Time(UT)"),                 // time axis title
    testo(-13, 7, "0"),                          // 0 MHz
    linea(1, 50, 241, 50, colori::griglia),      // grid, 5 MHz
    testo(-13, 55, "5"),                         //
    linea(1, 100, 241, 100, colori::griglia),    // grid, 10 MHz
    testo(-18, 105, "10"),                       //
    linea(1, 150, 241, 150, colori::griglia),    // grid, 15 MHz
    testo(-18, 155, "15"),                       //
    testo(-18, 195, "19"),                       // 19 MHz, top label
    testo(-30, 138, "ftEs"),                     // frequency axis title, upper line
    testo(-33, 125, "(MHz)"),                    // frequency axis title, lower line
}};
// clang-format on

}  // namespace

void disegna_cornice(Canvas& area) {
    for (const PassoCornice& p : passi) {
        if (p.tipo == PassoCornice::Tipo::linea) {
            area.draw_line(p.x1, p.y1, p.x2, p.y2, p.colore);
        } else {
            area.set_position(p.x1, p.y1);
            area.print_text(p.testo);
        }
    }
}

void imposta_dimensioni_e_scala(Canvas& area) {
    // Outer size of the window: plot range plus margins plus the window frame (3 + 3 wide,
    // 3 + 19 + 3 high) plus one pixel. With the chart's fixed margins both fit the canvas's
    // limits, so neither can be refused.
    const Margini& m = margini;
    (void)area.set_size(m.dx + 240 + m.sx + 6 + 1, m.sup + 160 + m.inf + 25 + 1);
    (void)area.set_scale(static_cast<float>(-m.sx), static_cast<float>(m.sup + 190),
                         static_cast<float>(m.dx + 240 + 1), static_cast<float>(-(m.inf + 1)));
}

}  // namespace ftes::canvas
