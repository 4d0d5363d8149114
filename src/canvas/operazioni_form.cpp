// SPDX-License-Identifier: MIT
// The chart window's canvas operations: setting up its size and scale, the chart frame, the
// caption and clearing.
#include "batch/form1.h"
#include "canvas/cornice.h"

namespace ftes {

void Form1::disegno_dello_stage() {
    canvas::disegna_cornice(area);
}

void Form1::impostazioni_dimensioni_e_scala_del_form() {
    margine_sup = 25;
    margine_inf = 45;
    margine_dx = 10;
    margine_sx = 35;
    // Outer size of the window: plot range plus margins plus the window frame (3 + 3 wide,
    // 3 + 19 + 3 high) plus one pixel.
    area.set_size(margine_dx + 240 + margine_sx + 6 + 1, margine_sup + 160 + margine_inf + 25 + 1);
    area.set_scale(static_cast<float>(-margine_sx), static_cast<float>(margine_sup + 190),
                   static_cast<float>(margine_dx + 240 + 1),
                   static_cast<float>(-(margine_inf + 1)));
}

void Form1::imposta_posizione(float x, float y) {
    area.set_position(x, y);
}
void Form1::stampa_testo(const std::string& testo) {
    area.print_text(testo);
}
void Form1::pulisci() {
    area.clear();
}

}  // namespace ftes
