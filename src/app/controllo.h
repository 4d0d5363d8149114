// SPDX-License-Identifier: MIT
// ftes-charts --check: the station's set-up looked at as the service's run would look at it,
// with the rights of the account it runs as, told in plain words, one finding a line, each
// problem with its fix; nothing of the station is written.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "reports/diagnostica.h"

namespace ftes {

// The account the packaged service runs as.
inline constexpr const char* account_servizio = "ionosonde";

struct OpzioniControllo {
    std::chrono::year_month_day oggi;     // the last of the six days looked at
    std::optional<std::string> metriche;  // --metrics: the file the run would write
    std::optional<std::string> registro;  // --log: the file the run would add its report to
    std::optional<std::string> stazione;  // --station: the label of the metrics
    std::optional<std::string> account;   // --as: the account to look as
};

// Looks at varnel.ini in the current folder, its three folders, the station, the six days ending
// on oggi, their forecasts, and the files of --metrics and --log. Run by root on a system that
// has the service's account, it looks with that account's rights. Returns the exit status:
// controllo_con_problemi when something would make a chart go missing, land in the wrong place
// or be drawn wrong.
// versione: the program's, for the header of the findings added to --log.
int controlla_stazione(const Flusso& out, const OpzioniControllo& opzioni,
                       const std::string& versione);

}  // namespace ftes
