// The operator's command line. With no arguments the batch charts the six days ending today.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ftes {

struct OpzioniComando {
    enum class Azione { esegui, aiuto, versione, errore };
    Azione azione = Azione::esegui;
    std::optional<std::chrono::year_month_day> data;  // --date: the last of the six days
    bool verboso = false;                             // --verbose
    std::string errore;                               // one line, for Azione::errore
};

OpzioniComando leggi_riga_comando(std::span<const std::string_view> argomenti);

// A calendar date written exactly as YYYY-MM-DD, years 1900 to 9999.
std::optional<std::chrono::year_month_day> leggi_data_iso(std::string_view testo);

// The usage text printed by --help and after a usage error.
std::string_view testo_uso();

}  // namespace ftes
