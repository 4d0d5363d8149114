// SPDX-License-Identifier: MIT
// What an unattended run leaves for its operator to read where no journal keeps it (the Windows
// task): with --log FILE each run adds its report at the end of FILE, a header line with its
// time, version and exit status, then every line --verbose shows. The oldest runs go first, so
// that the file never passes max_registro bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace ftes {

// About a year of daily runs, or three days of runs every 10 minutes: enough to see what the
// last runs said, small enough that rewriting it costs a run a few milliseconds.
inline constexpr std::size_t max_registro = std::size_t{256} * 1024;
// How each run's report begins in the log.
inline constexpr std::string_view inizio_corsa = "== ftes-charts ";

// What an exit status means, in a few words.
std::string_view significato_uscita(int stato);

// A run's report: "== ftes-charts <version> <time>: exit status N (<meaning>)" then its
// lines (each ended by '\n'), every line ended by fine_riga.
std::string testo_corsa(std::string_view versione, std::string_view ora, int stato,
                        std::string_view righe, std::string_view fine_riga);

// The log after a run: the newest runs of the previous log that fit with this one in massimo
// bytes, then this one. A report longer than massimo on its own is cut at a line and says so.
std::string registro_aggiornato(std::string_view precedente, std::string_view corsa,
                                std::size_t massimo = max_registro);

// Adds the report to the log at percorso, replacing the file whole at once. A log that is there
// but cannot be read is left as it is: its reason is returned.
platform::Result<> scrivi_registro(const std::string& percorso, std::string_view corsa);

}  // namespace ftes
