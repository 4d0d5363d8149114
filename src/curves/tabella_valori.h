// SPDX-License-Identifier: MIT
// A day's soundings as a table for spreadsheets (CSV): one row per sounding read, in the order
// of the day, with what it said and the forecast of its hour, and a row for each hour that has
// passed without a single sounding. The same table goes to the web page and beside the archive
// copy of the day.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "curves/osservazioni.h"
#include "curves/previsione.h"

namespace ftes {

// "time_ut,ftes_mhz,state,forecast_mhz" then the rows, each ended by '\n': the time as hh:mm UT,
// the value in MHz with one decimal (empty but for a value), the state ("value", "no layer" for
// NO, "not available" for N/A, "no sounding" for an hour without one, at hh:00), and the
// forecast of the row's hour in MHz (empty without a forecast). ore_passate: the hours of the
// day, from 00 UT, that are over (24 for a past day); only those can lack a sounding.
std::string tabella_csv(const std::vector<Sondaggio>& sondaggi,
                        const std::optional<ValoriPrevisione>& previsione, int ore_passate);

}  // namespace ftes
