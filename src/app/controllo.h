// SPDX-License-Identifier: MIT
// ftes-charts --check: the station's set-up looked at as a run would look at it, told in plain
// words, one finding a line, with nothing written.
#pragma once

#include <chrono>

#include "reports/diagnostica.h"

namespace ftes {

// Looks at varnel.ini in the current folder, its three folders, the station, the six days ending
// on oggi and their forecasts. Returns the exit status: 1 when something would make a chart go
// missing, land in the wrong place or be drawn wrong, 0 otherwise.
int controlla_stazione(const Flusso& out, std::chrono::year_month_day oggi);

}  // namespace ftes
