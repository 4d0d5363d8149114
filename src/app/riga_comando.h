// SPDX-License-Identifier: MIT
// The operator's command line. With no arguments the batch charts the six days ending today.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ftes {

// The days of an archive backfill, both included, oldest first.
struct Intervallo {
    std::chrono::year_month_day primo, ultimo;
    bool operator==(const Intervallo&) const = default;
};

struct OpzioniComando {
    enum class Azione { esegui, controlla, aiuto, versione, errore };
    Azione azione = Azione::esegui;
    std::optional<std::chrono::year_month_day> data;  // --date: the last of the six days
    std::optional<Intervallo> recupero;               // --backfill: the archive days to redraw
    bool verboso = false;                             // --verbose
    int attesa_secondi = 60;                          // --wait: for another run's turn
    std::optional<std::string> metriche;              // --metrics: the file to write them to
    std::optional<std::string> stazione;              // --station: the label of the metrics
    bool manifesto = false;                           // --manifest: plotftEs.json for the page
    std::optional<std::string> registro;              // --log: the file its report is added to
    bool sostituisci = false;  // --replace: a backfill replaces copies however full they are
    std::optional<std::string> account;  // --as: with --check, the account to look as
    std::string errore;                  // one line, for Azione::errore
};

// The longest backfill: ten years of archive copies.
inline constexpr int max_giorni_recupero = 3660;
// The longest wait for another run of the station: an hour.
inline constexpr int max_attesa_secondi = 3600;

OpzioniComando leggi_riga_comando(std::span<const std::string_view> argomenti);

// A calendar date written exactly as YYYY-MM-DD, years 1900 to 9999.
std::optional<std::chrono::year_month_day> leggi_data_iso(std::string_view testo);

// The days of a backfill written as YYYY-MM-DD or YYYY-MM-DD..YYYY-MM-DD, or the one-line
// reason why the text is no such range.
struct IntervalloLetto {
    std::optional<Intervallo> intervallo;
    std::string errore;
};
IntervalloLetto leggi_intervallo(std::string_view testo);

// The one-line reason why a backfill that reaches past today is refused.
std::string errore_recupero_futuro(const Intervallo& recupero, std::chrono::year_month_day oggi);

// The usage text printed by --help.
std::string testo_uso();
// The line that follows a usage error: how to see the usage.
std::string come_avere_aiuto();

}  // namespace ftes
