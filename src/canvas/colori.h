// SPDX-License-Identifier: MIT
// Every colour the charts are drawn with, and the size of their dots.
#pragma once

#include "canvas/rgb.h"

namespace ftes::colori {

inline constexpr canvas::Rgb sfondo{0, 0, 0};              // canvas background, black
inline constexpr canvas::Rgb testo{255, 255, 128};         // every text, light yellow
inline constexpr canvas::Rgb cornice{255, 255, 0};         // chart frame, yellow
inline constexpr canvas::Rgb griglia{100, 100, 100};       // grid, grey
inline constexpr canvas::Rgb previsione{255, 255, 255};    // forecast dots and lines, white
inline constexpr canvas::Rgb osservato{255, 0, 0};         // observed dots and links, light red
inline constexpr canvas::Rgb assenza_strato{255, 153, 0};  // no-layer ticks, orange

// The radius of a chart's dots, in chart units.
inline constexpr float raggio_punto = 2;

}  // namespace ftes::colori
