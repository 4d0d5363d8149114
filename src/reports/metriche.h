// SPDX-License-Identifier: MIT
// What a run leaves for a monitoring system: a text file in Prometheus' exposition format, as
// node_exporter's and windows_exporter's textfile collectors read it.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/esito.h"
#include "platform/error.h"

namespace ftes {

// One run of the batch.
struct MetricheCorsa {
    std::string stazione;  // the station label of every series
    double fine = 0;       // when the run ended, seconds since 1970 (UTC)
    double durata = 0;     // how long it took, seconds
    int stato = 0;         // its exit status
    // The last run that published every chart: this one when it did, otherwise the one the
    // previous file told of (nothing when none is known).
    std::optional<double> ultimo_successo;
};

// The file's text: ASCII, LF line ends, HELP and TYPE before every metric, every series labelled
// with the station (and a chart's with its slot, never its date). The charts' series are a daily
// run's; a backfill has none.
std::string testo_metriche(const MetricheCorsa& corsa, const EsitoCorsa& esito);

// The last successful run of the station that a previous file tells of: nothing when it tells
// of none; an Error (why it is not to be believed) when its value is no finite time, or a time
// after adesso.
platform::Result<std::optional<double>> ultimo_successo_in(std::string_view testo,
                                                           std::string_view stazione,
                                                           double adesso);

// The previous file's series of the charts, kept by a run that was refused its turn and so
// changed no chart: every line of a metric other than those of the run itself, where the line is
// one a run writes (printable ASCII, a finite value).
std::string figure_precedenti(std::string_view testo);

// Writes the run's metrics to the file, replacing it whole at once (the collector may read it at
// any moment). The last successful run is carried over from the file it replaces when this run
// did not publish every chart; the notes say why it was not, where it could not be.
platform::Result<std::vector<platform::Note>> scrivi_metriche(const std::string& percorso,
                                                              MetricheCorsa corsa,
                                                              const EsitoCorsa& esito);

// The station's name as a label value: printable ASCII only, quotes and backslashes escaped.
std::string etichetta(std::string_view testo);

}  // namespace ftes
