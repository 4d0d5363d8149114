// SPDX-License-Identifier: MIT
// One chart of a daily run as it was made: what its summary line tells, and its soundings, for
// the metrics and the manifest a run leaves behind.
#pragma once

#include <chrono>
#include <vector>

#include "curves/osservazioni.h"

namespace ftes {

struct FiguraFatta {
    int slot = 0;                     // 1 to 6
    std::chrono::sys_days giorno{};   // the chart's day
    int valori = 0;                   // observed values drawn
    int assenze = 0;                  // "NO" ticks drawn
    int illeggibili = 0;              // inputs there but unreadable
    bool previsione = false;          // the forecast curve drawn
    bool pubblicata = false;          // the current chart and its archive copy written or kept
    std::vector<Sondaggio> sondaggi;  // the values and "NO"s drawn, in the order read
};

}  // namespace ftes
