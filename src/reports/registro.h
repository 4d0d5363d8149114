// SPDX-License-Identifier: MIT
// What an unattended run leaves for its operator to read where no journal keeps it (the Windows
// task): with --log FILE each run adds its report at the end of FILE, a header line with its
// time, version and exit status, then every line --verbose shows. The file never passes
// max_registro bytes: a long report keeps its head and its tail, and the oldest runs go first,
// whole, then down to their header lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace ftes {

// About a year of daily runs, or three days of runs every 10 minutes: enough to see what the
// last runs said, small enough that rewriting it costs a run a few milliseconds.
inline constexpr std::size_t max_registro = std::size_t{256} * 1024;
// How each run's report begins in the log.
inline constexpr std::string_view inizio_corsa = "== ftes-charts ";

// A run's report: "== ftes-charts <version> <time>: exit status N (<meaning>)" then its
// lines (each ended by '\n'), every line ended by fine_riga.
std::string testo_corsa(std::string_view versione, std::string_view ora, int stato,
                        std::string_view righe, std::string_view fine_riga);

// The log after a run: this run's report, cut to half of massimo when longer (its head and its
// tail kept, with a line that says how many lines are left out between them), after the newest
// runs of the previous log that fit whole in what is left, and before them, where those fit, the
// header lines of older runs.
std::string registro_aggiornato(std::string_view precedente, std::string_view corsa,
                                std::size_t massimo = max_registro);

// Adds the report to the log at percorso, replacing the file whole at once. Only the end of a
// log that grew past the bound is read, and a link at its name is never followed: it is
// replaced by a new log (the Note says so). A log that is there but cannot be read is left as it
// is: its reason is returned.
platform::Result<std::optional<platform::Note>> scrivi_registro(const std::string& percorso,
                                                                std::string_view corsa);

}  // namespace ftes
