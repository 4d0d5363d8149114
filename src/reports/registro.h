// SPDX-License-Identifier: MIT
// What an unattended run leaves for its operator to read where no journal keeps it (the Windows
// task, cron): with --log FILE each run adds a line when it starts, and its report when it ends:
// a header line with its time, version and exit status, then every line --verbose shows. A run
// stopped before its end (a task's time limit, a machine gone down) leaves its start line alone.
// The file is only ever added to, but for the rare run that finds it past max_registro bytes and
// cuts it down: a long report keeps its head and its tail, and the oldest runs go first, whole,
// then down to their header lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace ftes {

// A month of runs every 10 minutes, whole (a run's report is about 600 bytes), and years of daily
// runs. A log past it is cut down to registro_ridotto, so that the cut comes once in a thousand
// runs or more.
inline constexpr std::size_t max_registro = std::size_t{4} * 1024 * 1024;
inline constexpr std::size_t registro_ridotto = max_registro / 4 * 3;
// How each run's report begins in the log.
inline constexpr std::string_view inizio_corsa = "== ftes-charts ";

// The line a run adds when it starts: "== ftes-charts <version> <time>: started".
std::string riga_inizio(std::string_view versione, std::string_view ora,
                        std::string_view fine_riga);

// A run's report: "== ftes-charts <version> <time>: exit status N (<meaning>)" then its
// lines (each ended by '\n'), every line ended by fine_riga.
std::string testo_corsa(std::string_view versione, std::string_view ora, int stato,
                        std::string_view righe, std::string_view fine_riga);

// The log within massimo: this run's report (when there is one), cut to half of massimo when
// longer (its head and its tail kept, with a line that says how many lines are left out between
// them), after the newest runs of the previous log that fit whole in what is left, and before
// them, where those fit, the header lines of older runs. The start line of a run whose report
// is there goes: it says nothing the report does not.
std::string registro_aggiornato(std::string_view precedente, std::string_view corsa,
                                std::size_t massimo = max_registro);

// Adds the text at the end of the log at percorso. A log that another program holds (a viewer
// on Windows) is tried again for a few seconds. A link at its name is never followed: it is
// replaced by a new log (the Note says so). A log found past max_registro is cut down to
// registro_ridotto, replaced whole at once; one that cannot be cut is told in the Note, and
// keeps what it holds.
platform::Result<std::optional<platform::Note>> scrivi_registro(const std::string& percorso,
                                                                std::string_view testo);

}  // namespace ftes
