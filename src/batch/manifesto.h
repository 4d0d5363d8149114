// SPDX-License-Identifier: MIT
// What a daily run leaves for the web page beside the charts: plotftEs.json, the days the six
// charts show, how each went and the values each shows, so that the page can caption a chart by
// its own day, tell how old the charts are and show a value under the pointer.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "batch/figura_fatta.h"

namespace ftes {

// The name of the manifest in the web folder.
inline constexpr std::string_view nome_manifesto = "plotftEs.json";

// The manifest's JSON text. generato: when the run made it (ISO 8601 with the UTC offset);
// oggi: the run's today, the day of slot 6.
std::string testo_manifesto(std::string_view generato, std::string_view versione,
                            std::chrono::year_month_day oggi,
                            const std::vector<FiguraFatta>& figure);

}  // namespace ftes
