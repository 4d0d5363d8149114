// SPDX-License-Identifier: MIT
// What a daily run leaves for the web page beside the charts: plotftEs.json, the station, the
// days the six charts show, how each went and the soundings each shows, so that the page can
// caption a chart by its own day, tell how old the charts are, say what is wrong with one and
// show a value under the pointer. Only this program writes it, and a run never leaves one that
// tells of other charts than those in place.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "batch/esito.h"
#include "platform/error.h"

namespace ftes {

// The name of the manifest in the web folder.
inline constexpr std::string_view nome_manifesto = "plotftEs.json";

// The day each slot's current chart shows by a previous manifest: nothing for a slot it does not
// tell of.
using GiorniMostrati = std::array<std::optional<std::chrono::year_month_day>, 6>;
GiorniMostrati giorni_mostrati(std::string_view manifesto);

// The manifest's JSON text. generato: when the run made it (ISO 8601 with the UTC offset);
// oggi: the run's today, the day of slot 6; prima: what the charts in place showed before the
// run, for the slots it did not publish.
std::string testo_manifesto(std::string_view generato, std::string_view versione,
                            std::string_view stazione, std::chrono::year_month_day oggi,
                            const EsitoCorsa& esito, const GiorniMostrati& prima);

// Writes plotftEs.json in the web folder, replaced whole at once. One that cannot be written is
// removed, so that the page never shows the days of other charts (the Note says so); an Error
// only when even that fails, with both reasons.
platform::Result<std::optional<platform::Note>> scrivi_manifesto(const std::string& percorso_figure,
                                                                 std::string_view versione,
                                                                 std::string_view stazione,
                                                                 std::chrono::year_month_day oggi,
                                                                 const EsitoCorsa& esito);
// Removes an old plotftEs.json from the web folder (a run without --manifest changed the charts
// it told of); nothing to do when there is none.
platform::Result<> togli_manifesto(const std::string& percorso_figure);

}  // namespace ftes
